#pragma once

// A pipe that becomes readable, for good, once raised: every poll() that includes readFd()
// wakes when a server is told to stop.

namespace trelvo::test {

class StopPipe {
public:
    StopPipe();
    ~StopPipe();
    StopPipe(const StopPipe&) = delete;
    StopPipe& operator=(const StopPipe&) = delete;

    int readFd() const { return fds_[0]; }
    void raise();
    bool raised() const;

private:
    int fds_[2] = {-1, -1};
};

} // namespace trelvo::test
