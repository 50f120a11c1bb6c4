#pragma once
// The running application as a whole.

namespace quintrel {

class Application {
public:
    virtual ~Application() = default;
    // Ends the event loop and the process, like choosing Quit.
    virtual void terminate() = 0;
};

}  // namespace quintrel
