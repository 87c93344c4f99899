// Gathers what the program could not do while no window of its own says so
// (pictures that left the collection because they cannot be read, things an
// add skipped, wallpapers that could not be set) and tells it in one desktop
// notification per kind: its count and the first names, however many files
// it concerns.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class NoticeBoard : public QObject {
    Q_OBJECT
public:
    /// How long a kind waits for more of its own after the last one, and
    /// at most after the first, before its notification goes.
    static constexpr int QuietMs = 1500;
    static constexpr int LongestWaitMs = 8000;

    enum class Kind { Unreadable, Skipped, ApplyFailed, Unlistable };

    /// `deliver` shows one notification (summary, body).
    explicit NoticeBoard(std::function<void(const QString&, const QString&)> deliver,
                         QObject* parent = nullptr);

    /// Notes `paths` under `kind` (for Unlistable the paths only count).
    void note(Kind kind, const std::vector<std::string>& paths);
    /// Sends what waits now.
    void flush();

private:
    struct Pending {
        std::vector<std::string> paths;
        QTimer quiet;
        QTimer longest;
    };
    void send(Kind kind);

    std::function<void(const QString&, const QString&)> m_deliver;
    Pending m_pending[4];
};
