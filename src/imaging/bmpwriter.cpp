#include "imaging/bmpwriter.h"

#include <algorithm>

BmpWriter::~BmpWriter() {
    {
        std::unique_lock lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BmpWriter::write(Bitmap picture, std::filesystem::path path) {
    {
        std::unique_lock lock(m_mutex);
        const auto same = std::find_if(m_queue.begin(), m_queue.end(),
                                       [&](const Job& job) { return job.path == path; });
        if (same != m_queue.end())
            m_queue.erase(same);
        m_queue.push_back(Job{std::move(picture), std::move(path)});
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_changed.notify_all();
}

bool BmpWriter::busy() const {
    std::unique_lock lock(m_mutex);
    return m_running || !m_queue.empty();
}

void BmpWriter::wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_running && m_queue.empty(); });
}

int BmpWriter::failures() const {
    std::unique_lock lock(m_mutex);
    return m_failures;
}

void BmpWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping, and everything is written
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_running = true;
        lock.unlock();
        bool ok = true;
        try {
            job.picture.saveToFile(job.path);
        } catch (...) {
            ok = false;
        }
        // The picture's memory goes before anyone learns that the writer is idle.
        job = Job{};
        if (m_released) {
            try {
                m_released();
            } catch (...) {
            }
        }
        lock.lock();
        m_running = false;
        if (!ok)
            ++m_failures;
        m_changed.notify_all();
    }
}
