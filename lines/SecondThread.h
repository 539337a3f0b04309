#pragma once
// Work split over the machine's two cores: the second half of a long job runs on a thread of
// its own while the caller does the first.
#include <exception>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>

// Runs `work` on a second thread when one can be had, else right here at Wait().
class SecondThread {
public:
    template <typename Work>
    explicit SecondThread(Work &&work) : work_(std::forward<Work>(work))
    {
        try {
            thread_.emplace([this] { Run(); });
        } catch (const std::system_error &) {
        }
    }
    // Waits for the thread (an unwinding caller must not leave it running); its error is lost.
    ~SecondThread()
    {
        if (thread_ && thread_->joinable())
            thread_->join();
    }
    SecondThread(const SecondThread &) = delete;
    SecondThread &operator=(const SecondThread &) = delete;
    // Waits for the work to end and passes on what it threw.
    void Wait()
    {
        if (thread_) {
            if (thread_->joinable())
                thread_->join();
        } else if (!done_) {
            Run();
        }
        done_ = true;
        if (error_) {
            auto error = std::move(error_);
            error_ = nullptr;
            std::rethrow_exception(error);
        }
    }

private:
    void Run()
    {
        try {
            work_();
        } catch (...) {
            error_ = std::current_exception();
        }
    }
    std::function<void()> work_;
    std::exception_ptr error_;
    std::optional<std::thread> thread_;
    bool done_ = false;
};
