#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// A stand-in for Homebrew's `brew`: a shell script at "<folder>/bin/brew" in a temporary folder of
// its own, so tests running side by side never share one. Put `folder()` where the program looks
// for brew first (a bundle's resources folder).
//
// Every run first records its arguments and environment, then answers with the response set for
// its exact argument list (or the default response): standard output piece by piece, standard
// error, an optional wait, and an exit status. An argument list may be given several responses,
// used in turn by its runs; the last one answers every later run.
class FakeBrew final {
public:
    struct Response {
        // That many spaces, made by the script, before the pieces: lets a test print far more than
        // it wants to hold.
        qint64 stdoutPadding = 0;
        QByteArrayList stdoutPieces = {}; // written one after another
        double pauseAfterPiece = 0;       // seconds after each piece, so a reader sees them arrive apart
        QByteArray stderr = {};
        double sleepBeforeExit = 0; // seconds, e.g. to be cancelled while running
        // Before that sleep, waits until release(gate) (or the fake's end), when not empty: a run
        // that cannot end before the test says so.
        QString gate = {};
        int exitCode = 0;
    };

    struct Run {
        QStringList arguments;
        QMap<QString, QString> environment;
    };

    // Answers every argument list with exit status 0 and no output until told otherwise.
    FakeBrew();

    QString folder() const { return m_dir.path(); }
    QString executablePath() const;

    void respond(const QStringList& arguments, const Response& response);
    // The first run of `arguments` gets responses[0], the next responses[1] and so on; runs past the
    // end get the last one. Replaces what was set for `arguments` and starts counting anew.
    void respondInTurn(const QStringList& arguments, const std::vector<Response>& responses);
    void setDefaultResponse(const Response& response);
    // Lets every run held at `gate`, and every later one, go on.
    void release(const QString& gate);

    // The runs that have started so far, in start order.
    std::vector<Run> runs() const;
    // Waits until `count` runs have started; false when that took longer than the tests' one
    // deadline. The caller's event loop does not run meanwhile.
    bool waitForRuns(qsizetype count) const;

    // The bytes of a file, e.g. a canned JSON document; empty when it cannot be read.
    static QByteArray fileContents(const QString& path);

private:
    void writeResponses(
        const QString& directory, const QStringList& arguments, const std::vector<Response>& responses) const;
    QString path(const QString& relative) const;

    QTemporaryDir m_dir;
    std::vector<QStringList> m_respondedArgumentLists; // response i lives in "responses/i"
};
