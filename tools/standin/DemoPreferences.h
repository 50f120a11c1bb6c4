#pragma once
// Giving the demo an API code: the demo code goes into the preferences file only when
// the user has no code of their own.

#include <optional>
#include <string>

namespace standin {

struct DemoCodeResult {
    std::optional<std::string> code;  // the code the app will use; none on failure
    std::string message;              // what happened, for the user
};

// Reads the preferences JSON at `path`. A file with a non-empty "qnapicode" string is
// left as it is; a missing file, or one without a code, gets the demo code (other
// values kept) by atomic replace with mode 0600. A file that does not hold a JSON
// object is never touched.
DemoCodeResult storeDemoCode(const std::string& path);

}  // namespace standin
