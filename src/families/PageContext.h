#pragma once

namespace zandro {

class MsrBuffer;
class Platform;

// The three user settings of the Configuration window, owned by the main window.
struct AppFlags {
    bool UserProtection = true;
    bool RealTimePriority = false;
    bool HalfMultipliers = false;
};

// What the main window offers the family pages besides the machine itself.
class PageHost {
public:
    virtual ~PageHost() = default;
    virtual void setFrequencyTimer(bool on) = 0;
    virtual void setOverheatingTimer(bool on) = 0;
};

struct PageContext {
    Platform& platform;
    MsrBuffer& msr;
    const AppFlags& flags;
    PageHost& host;
};

}  // namespace zandro
