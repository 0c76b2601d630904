#include "tests/support/demo/DemoBrew.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct Upgrade {
    QString name;
    QString from;
    QString to;
};

// Outdated beyond the fixture's own list: a dependency formula, so the dependency upgrade shows.
const std::vector<Upgrade> extraOutdatedFormulae{
    {u"openssl@3"_s, u"3.3.0"_s, u"3.3.1"_s}, {u"terraform"_s, u"1.8.1"_s, u"1.8.2"_s}};

struct Findable {
    QString name;
    QString displayName; // casks only
    QString description;
    QString version;
};

// Packages that a search finds and that can be installed.
const std::vector<Findable> findableFormulae{{u"tinyhttp"_s, {}, u"Small static web server"_s, u"0.9.4"_s},
    {u"quill-fmt"_s, {}, u"Formatter for configuration files"_s, u"2.1.0"_s},
    {u"wget2"_s, {}, u"Successor of the internet file retriever"_s, u"2.1.0"_s}};
const std::vector<Findable> findableCasks{
    {u"aurora-terminal"_s, u"Aurora Terminal"_s, u"GPU-drawn terminal"_s, u"1.4.2"_s},
    {u"mosaic-viewer"_s, u"Mosaic Viewer"_s, u"Image browser"_s, u"3.0.1"_s}};

QJsonObject readFixture(const QString& name)
{
    QFile file(QStringLiteral(TRUNE_HOMEBREW_FIXTURE_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The Homebrew fixture %s cannot be read", qPrintable(file.fileName()));
    return QJsonDocument::fromJson(file.readAll()).object();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("The demo brew cannot write %s", qPrintable(path));
}

void writeJson(const QString& path, const QJsonObject& object)
{
    writeBytes(path, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString nameOf(const QJsonObject& package)
{
    return package.contains(u"token"_s) ? package[u"token"_s].toString() : package[u"name"_s].toString();
}

// An outdated entry's installed versions are a string or a list, depending on brew's version.
QString lastInstalledVersion(const QJsonValue& versions)
{
    return versions.isArray() ? versions.toArray().last().toString() : versions.toString();
}

// Whether the formula was installed on request, as brew reads its kegs: any keg so marked, else
// no keg carrying the mark at all (none: no keg says).
std::optional<bool> installedOnRequest(const QJsonArray& kegs)
{
    std::optional<bool> onRequest;
    for (const QJsonValue& keg : kegs) {
        const QJsonValue mark = keg.toObject()[u"installed_on_request"_s];
        if (mark.isBool())
            onRequest = onRequest.value_or(false) || mark.toBool();
    }
    return onRequest;
}

// The `brew info` entry of a formula once `version` is installed: one keg, installed on request
// or as a dependency as before.
QJsonObject formulaAt(QJsonObject formula, const QString& version)
{
    const QJsonArray kegs = formula[u"installed"_s].toArray();
    QJsonObject installed = kegs.last().toObject();
    installed[u"version"_s] = version;
    if (const std::optional<bool> onRequest = installedOnRequest(kegs))
        installed[u"installed_on_request"_s] = *onRequest;
    formula[u"installed"_s] = QJsonArray{installed};
    QJsonObject versions = formula[u"versions"_s].toObject();
    versions[u"stable"_s] = version;
    formula[u"versions"_s] = versions;
    formula[u"outdated"_s] = false;
    return formula;
}

QJsonObject caskAt(QJsonObject cask, const QString& version)
{
    cask[u"installed"_s] = version;
    cask[u"version"_s] = version;
    cask[u"outdated"_s] = false;
    return cask;
}

QJsonObject upgradedEntry(const QString& kind, const QJsonObject& package, const QString& version)
{
    return kind == u"formulae"_s ? formulaAt(package, version) : caskAt(package, version);
}

QJsonObject findableEntry(const QString& kind, const QJsonObject& model, const Findable& package)
{
    QJsonObject entry = upgradedEntry(kind, model, package.version);
    entry[u"desc"_s] = package.description;
    if (kind == u"formulae"_s) {
        entry[u"name"_s] = package.name;
        entry[u"full_name"_s] = package.name;
        entry[u"dependencies"_s] = QJsonArray{};
    } else {
        entry[u"token"_s] = package.name;
        entry[u"full_token"_s] = package.name;
        entry[u"name"_s] = QJsonArray{package.displayName};
        entry[u"artifacts"_s] = QJsonArray{QJsonObject{{u"app"_s, QJsonArray{package.displayName + u".app"_s}}}};
    }
    return entry;
}

class StateWriter {
public:
    explicit StateWriter(QString state)
        : m_state(std::move(state))
    {
    }

    void package(const QString& area, const QString& kind, const QJsonObject& entry) const
    {
        writeJson(path(area, kind, nameOf(entry) + u".json"_s), entry);
    }

    void outdated(const QString& kind, const QJsonObject& entry, const Upgrade& upgrade) const
    {
        writeJson(path(u"outdated"_s, kind, upgrade.name + u".json"_s), entry);
        writeBytes(path(u"outdated"_s, kind, upgrade.name + u".line"_s),
            (upgrade.name + u" "_s + upgrade.from + u" -> "_s + upgrade.to).toUtf8());
    }

    void caskApp(const DemoBrew::CaskApp& app) const
    {
        writeBytes(m_state + u"/apps/"_s + app.token + u".plist"_s, app.upgradedInfoPlist);
        writeBytes(m_state + u"/apps/"_s + app.token + u".path"_s, app.infoPlistPath.toUtf8());
    }

    void makeFolders() const
    {
        for (const QString& area : {u"installed"_s, u"outdated"_s, u"upgraded"_s, u"available"_s})
            for (const QString& kind : {u"formulae"_s, u"casks"_s})
                QDir().mkpath(m_state + u'/' + area + u'/' + kind);
        QDir().mkpath(m_state + u"/apps"_s);
    }

private:
    QString path(const QString& area, const QString& kind, const QString& file) const
    {
        return m_state + u'/' + area + u'/' + kind + u'/' + file;
    }

    QString m_state;
};

std::vector<Upgrade> upgradesOf(const QJsonArray& outdatedEntries)
{
    std::vector<Upgrade> upgrades;
    for (const QJsonValue& value : outdatedEntries) {
        const QJsonObject entry = value.toObject();
        upgrades.push_back({entry[u"name"_s].toString(), lastInstalledVersion(entry[u"installed_versions"_s]),
            entry[u"current_version"_s].toString()});
    }
    return upgrades;
}

QJsonObject outdatedFormulaEntry(const Upgrade& upgrade)
{
    return {{u"name"_s, upgrade.name}, {u"installed_versions"_s, QJsonArray{upgrade.from}},
        {u"current_version"_s, upgrade.to}, {u"pinned"_s, false}, {u"pinned_version"_s, QJsonValue()}};
}

// A cask that `brew outdated` lists is installed: where the fixture's `brew info` entry says
// "installed": null (as brew may for a cask it cannot place), it gets the version that
// `brew outdated` names, so both answers of the demo's brew agree.
QJsonObject withInstalledVersion(QJsonObject package, const std::vector<Upgrade>& upgrades)
{
    if (!package.contains(u"token"_s) || !package[u"installed"_s].isNull())
        return package;
    const auto upgrade = std::ranges::find(upgrades, nameOf(package), &Upgrade::name);
    if (upgrade != upgrades.end())
        package[u"installed"_s] = upgrade->from;
    return package;
}

// The fixture's packages of one kind: installed, and for each outdated one its outdated entry
// and its entry once upgraded.
void writeKind(const StateWriter& writer, const QString& kind, const QJsonArray& installed, QJsonArray outdated,
    const std::vector<Upgrade>& extraUpgrades)
{
    for (const Upgrade& upgrade : extraUpgrades)
        outdated.append(outdatedFormulaEntry(upgrade));
    const std::vector<Upgrade> upgrades = upgradesOf(outdated);
    QHash<QString, QJsonObject> installedByName;
    for (const QJsonValue& value : installed) {
        const QJsonObject package = withInstalledVersion(value.toObject(), upgrades);
        writer.package(u"installed"_s, kind, package);
        installedByName.insert(nameOf(package), package);
    }
    for (qsizetype index = 0; index < outdated.size(); ++index) {
        const Upgrade& upgrade = upgrades[std::size_t(index)];
        if (!installedByName.contains(upgrade.name))
            continue;
        writer.outdated(kind, outdated[index].toObject(), upgrade);
        writer.package(u"upgraded"_s, kind, upgradedEntry(kind, installedByName[upgrade.name], upgrade.to));
    }
}

void writeScript(const QString& path, const QString& state, double linePause)
{
    QFile body(u":/demo/DemoBrew.sh"_s);
    if (!body.open(QIODevice::ReadOnly))
        qFatal("The demo brew's script is missing from the resources");
    QByteArray quotedState = state.toUtf8();
    quotedState.replace('\'', "'\\''");
    writeBytes(path,
        "#!/bin/sh\nstate='" + quotedState + "'\npause=" + QByteArray::number(linePause, 'f', 2) + '\n'
            + body.readAll());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

namespace DemoBrew {

QString write(const Options& options)
{
    const QString state = options.folder + u"/state"_s;
    const StateWriter writer(state);
    writer.makeFolders();

    const QJsonObject installed = readFixture(u"info-installed.json"_s);
    const QJsonObject outdated = readFixture(u"outdated.json"_s);
    const QJsonArray formulae = installed[u"formulae"_s].toArray();
    const QJsonArray casks = installed[u"casks"_s].toArray();
    writeKind(writer, u"formulae"_s, formulae, outdated[u"formulae"_s].toArray(), extraOutdatedFormulae);
    writeKind(writer, u"casks"_s, casks, outdated[u"casks"_s].toArray(), {});

    for (const Findable& package : findableFormulae)
        writer.package(
            u"available"_s, u"formulae"_s, findableEntry(u"formulae"_s, formulae.first().toObject(), package));
    for (const Findable& package : findableCasks)
        writer.package(u"available"_s, u"casks"_s, findableEntry(u"casks"_s, casks.last().toObject(), package));
    for (const CaskApp& app : options.caskApps)
        writer.caskApp(app);

    const QString script = options.folder + u"/bin/brew"_s;
    writeScript(script, state, options.linePause);
    return script;
}

} // namespace DemoBrew
