#include "tests/kit/ui/suite/SuiteWidgetStage.h"

#include "kit/ui/TruneGroundBackground.h"
#include "tests/kit/suite/SuitePeer.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QFile>
#include <QJsonObject>
#include <QVBoxLayout>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

constexpr int stageMargin = 24;

QString bundlePath(const TempHome& home, TruneSuiteApp app)
{
    return home.filePath(u"Applications/"_s + rawValue(app) + u".app"_s);
}

} // namespace

SuiteStage::SuiteStage(int width)
    : m_ground(new TruneGroundBackground(TruneProductPalette::deepEmerald))
    , m_layout(new QVBoxLayout(m_ground))
    , m_width(width)
{
    m_layout->setContentsMargins(stageMargin, stageMargin, stageMargin, stageMargin);
    m_layout->setSpacing(16);
}

SuiteStage::~SuiteStage()
{
    delete m_ground;
}

void SuiteStage::addWidget(QWidget* widget)
{
    m_layout->addWidget(widget);
}

void SuiteStage::show()
{
    const int width = m_width + 2 * stageMargin;
    m_layout->activate();
    const int height
        = m_layout->hasHeightForWidth() ? m_layout->totalHeightForWidth(width) : m_layout->totalSizeHint().height();
    m_ground->setFixedSize(width, height);
    m_ground->show();
    // No control shows a focus ring in the pictures.
    m_ground->setFocusPolicy(Qt::StrongFocus);
    m_ground->setFocus();
    m_layout->activate();
    QApplication::processEvents();
}

QString SuiteStage::shoot(const QString& name)
{
    show();
    return saveScreenshot(*m_ground, name);
}

QWidget& SuiteStage::window()
{
    return *m_ground;
}

QString installStandIn(const TempHome& home, TruneSuiteApp app)
{
    return BundleMaker::makeAppBundle(bundlePath(home, app), {.executableName = rawValue(app)});
}

QString installPeer(const TempHome& home, TruneSuiteApp app, const QString& output)
{
    const QString bundle = bundlePath(home, app);
    BundleMaker::makeAppBundle(bundle, {.info = QVariantMap{{u"CFBundleExecutable"_s, rawValue(app)}}});
    const QString executable = bundle + u"/Contents/MacOS/"_s + rawValue(app);
    BundleMaker::writeFile(executable,
        "#!/bin/sh\nexec '" + QFile::encodeName(SuitePeer::program()) + "' serve " + rawValue(app).toUtf8() + " --out '"
            + QFile::encodeName(output) + "'\n");
    QFile::setPermissions(executable, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return bundle;
}

void stopLaunchedPeer(const QString& output)
{
    for (const QJsonObject& line : jsonLinesOfFile(output)) {
        if (line.value(u"event"_s).toString() == u"ready"_s)
            ::kill(static_cast<pid_t>(line.value(u"pid"_s).toInteger()), SIGTERM);
    }
}
