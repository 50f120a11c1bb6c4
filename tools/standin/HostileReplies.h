#pragma once
// Sends the replies of a hostile service over cpp-httplib, down to resetting the socket.

#include <httplib.h>

#include <string>

#include "Faults.h"

namespace standin {

// Fills `res` (or writes to the connection itself) for `fault`; answers what the request
// log records as the reply's body. `plainSocket`: the connection is not TLS, so a reset
// can write to the socket directly.
std::string serveFault(Fault fault, const httplib::Request& req, httplib::Response& res,
                       bool plainSocket);

// The Location of every hop of a redirect loop.
void redirectInCircles(httplib::Response& res);

}  // namespace standin
