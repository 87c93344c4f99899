// Writes BMP files on a thread of its own, so that the caller need not wait for the disk.
#pragma once

#include "imaging/bitmap.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

// One writer thread, started with the first write: the files are written one after the
// other, never two at once. A write queued for a path replaces a queued one for the same
// path that has not begun, so that the newest picture's file always wins and no older one
// is written for nothing. Failures are silent (the file keeps its previous content); they
// are counted. The destructor waits for every queued write.
class BmpWriter {
public:
    BmpWriter() = default;
    // `released` runs on the writer thread each time a written picture's memory has gone.
    explicit BmpWriter(std::function<void()> released) : m_released(std::move(released)) {}
    ~BmpWriter();
    BmpWriter(const BmpWriter&) = delete;
    BmpWriter& operator=(const BmpWriter&) = delete;

    // Queues `picture` to be written to `path` with saveToFile (atomically).
    void write(Bitmap picture, std::filesystem::path path);
    // True while a write is queued or running.
    bool busy() const;
    // Blocks until no write is queued or running.
    void wait();
    // Number of writes that failed since the writer was made.
    int failures() const;

private:
    struct Job {
        Bitmap picture;
        std::filesystem::path path;
    };
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_queue;
    bool m_running = false;
    bool m_stopping = false;
    int m_failures = 0;
    std::function<void()> m_released;
    std::thread m_thread;
};
