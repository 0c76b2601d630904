#include "tests/kit/ui/suite/SuiteWidgetStage.h"

#include "kit/ui/TruneGroundBackground.h"
#include "tests/support/Screenshots.h"

#include <QApplication>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int stageMargin = 24;

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
