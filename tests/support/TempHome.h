#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <optional>

// Points HOME and the XDG folders at a fresh temporary directory for the life of the object,
// so a test reads and writes only its own files. Restores the previous environment afterwards.
class TempHome final {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return m_dir.path(); }
    // path() + "/" + relative
    QString filePath(const QString& relative) const;
    QString dataHome() const;   // $XDG_DATA_HOME, the Application Support directory here
    QString configHome() const; // $XDG_CONFIG_HOME, where the user defaults live

private:
    void setVariable(const char* name, const QString& value);

    QTemporaryDir m_dir;
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};
