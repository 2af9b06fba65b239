#pragma once
#include <atomic>
#include <functional>
#include <thread>

// A thread a test starts. It ends with the test, also when an assertion returns early: the
// destructor raises the stop flag and joins. A joinable std::thread left behind would end
// the whole program, and a running one would use the test's locals after they are gone.
class TTestThread {
public:
    // The body runs with the stop flag it is to watch.
    explicit TTestThread(std::function<void(const std::atomic<bool>& stop)> body)
        : Thread([this, body = std::move(body)] { body(Stop); }) {}
    TTestThread(const TTestThread&) = delete;
    TTestThread& operator=(const TTestThread&) = delete;
    ~TTestThread() { Join(); }

    void Join() {
        Stop = true;
        if (Thread.joinable())
            Thread.join();
    }

private:
    std::atomic<bool> Stop{false};
    std::thread Thread;
};
