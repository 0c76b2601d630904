#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <vector>

// A stand-in for the desktop's `xdg-open`: an executable script of that name in a temporary folder
// of its own, put first on PATH for the object's life (PATH is restored afterwards), so whatever
// the program hands to the desktop opener reaches this script instead.
//
// Every run appends one line to a record: its arguments, each ended by the unit separator (0x1F),
// so an argument holding that byte or a line break would be misread. Runs started side by side
// are recorded in the order they write, not the order they started.
class FakeXdgOpen final {
public:
    FakeXdgOpen();
    ~FakeXdgOpen();
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

    // The arguments of every run recorded so far.
    std::vector<QStringList> calls() const;
    // Waits until `count` runs have been recorded; false when that took longer than the tests'
    // one deadline. The caller's event loop does not run meanwhile.
    bool waitForCalls(qsizetype count) const;

private:
    QString recordPath() const;

    QTemporaryDir m_dir;
    std::optional<QByteArray> m_savedPath;
};
