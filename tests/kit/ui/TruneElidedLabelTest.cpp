#include "kit/ui/TruneElidedLabel.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/support/Screenshots.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QTextDocument>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString path = u"/Applications/Utilities/Some Long Folder/Example.app"_s;

// The whole pixels the text needs.
int advance(const TruneElidedLabel& label, const QString& text)
{
    return static_cast<int>(std::ceil(QFontMetricsF(label.font()).horizontalAdvance(text)));
}

// What a rich-text tooltip reads as once the markup is taken out.
QString tooltipText(const QString& tooltip)
{
    QTextDocument document;
    document.setHtml(tooltip);
    return document.toPlainText();
}

} // namespace

TEST(TruneElidedLabelTest, ElidesAtTheEndOrInTheMiddleToItsWidth)
{
    struct Case {
        Qt::TextElideMode mode;
        QString keepsStart;
        QString keepsEnd;
    };
    const Case cases[] = {
        {Qt::ElideRight, u"/Applications"_s, u"…"_s},
        {Qt::ElideMiddle, u"/Applications"_s, u"Example.app"_s},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(static_cast<int>(test.mode));
        TruneElidedLabel label(path, test.mode);
        label.show();
        EXPECT_EQ(label.elideMode(), test.mode);

        label.resize(label.sizeHint());
        EXPECT_FALSE(label.isElided());
        EXPECT_EQ(label.displayedText(), path);
        EXPECT_TRUE(label.toolTip().isEmpty());

        label.resize(advance(label, path) * 3 / 5, label.height());
        EXPECT_TRUE(label.isElided());
        EXPECT_TRUE(label.displayedText().contains(u'…'));
        EXPECT_TRUE(label.displayedText().startsWith(test.keepsStart)) << label.displayedText().toStdString();
        EXPECT_TRUE(label.displayedText().endsWith(test.keepsEnd)) << label.displayedText().toStdString();
        EXPECT_LE(advance(label, label.displayedText()), label.width());
        EXPECT_EQ(tooltipText(label.toolTip()), path);

        // Wide enough again: the whole text and no tooltip.
        label.resize(label.sizeHint());
        EXPECT_EQ(label.displayedText(), path);
        EXPECT_TRUE(label.toolTip().isEmpty());
    }
}

TEST(TruneElidedLabelTest, FollowsTextModeAndFontChanges)
{
    TruneElidedLabel label(u"Short"_s);
    label.show();
    label.resize(advance(label, u"Short"_s), label.sizeHint().height());
    EXPECT_FALSE(label.isElided());

    label.setText(path);
    EXPECT_TRUE(label.isElided());
    EXPECT_EQ(label.accessibleName(), path);
    label.setElideMode(Qt::ElideMiddle);
    EXPECT_EQ(label.displayedText().front(), u'/');
    EXPECT_EQ(label.displayedText().back(), u'p');

    label.setText(u"Short"_s);
    EXPECT_FALSE(label.isElided());
    EXPECT_TRUE(label.toolTip().isEmpty());

    // A larger font no longer fits the width.
    QFont larger = label.font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    label.setFont(larger);
    EXPECT_TRUE(label.isElided());
}

TEST(TruneElidedLabelTest, ShowsOutsideTextAsPlainTextOnOneLine)
{
    struct Case {
        const char* what;
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {"markup", u"<b>Bold</b> & <i>co</i>"_s, u"<b>Bold</b> & <i>co</i>"_s},
        {"mnemonic", u"&Save"_s, u"&Save"_s},
        {"line breaks and tabs", u"one\ntwo\r\nthree\tfour"_s, u"one two  three four"_s},
        {"paragraph separator", u"one\u2029two"_s, u"one two"_s},
        // U+009C separates alternative texts for the eliding; outside text must not pick one.
        {"string terminator", u"Long name\u009cShort"_s, u"Long name Short"_s},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        TruneElidedLabel label(test.text);
        label.show();
        label.resize(label.sizeHint());
        EXPECT_EQ(label.text(), test.text);
        EXPECT_EQ(label.displayedText(), test.shown);
        EXPECT_EQ(label.accessibleName(), test.text);

        label.resize(label.minimumSizeHint());
        EXPECT_TRUE(label.isElided());
        // The tooltip is markup whose text is the full outside text (white space may differ).
        EXPECT_EQ(tooltipText(label.toolTip()).simplified(), test.text.simplified()) << label.toolTip().toStdString();
    }
}

TEST(TruneElidedLabelTest, LayoutsCanShrinkItDownToTheEllipsis)
{
    TruneElidedLabel label(path);
    label.setContentsMargins(2, 3, 4, 5);
    const int height = QFontMetrics(label.font()).height();
    EXPECT_EQ(label.sizeHint(), QSize(advance(label, path) + 6, height + 8));
    EXPECT_EQ(label.minimumSizeHint(), QSize(QFontMetrics(label.font()).horizontalAdvance(u"…"_s) + 6, height + 8));
    EXPECT_EQ(TruneElidedLabel().minimumSizeHint().width(), 0);

    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* inRow = new TruneElidedLabel(path, Qt::ElideMiddle);
    row->addWidget(inRow);
    window.resize(120, 40);
    window.show();
    EXPECT_LE(inRow->width(), 120);
    EXPECT_TRUE(inRow->isElided());
    EXPECT_EQ(tooltipText(inRow->toolTip()), path);
}

TEST(TruneElidedLabelTest, Screenshot)
{
    struct Language {
        const char* code;
        QString name;
        QString folder;
    };
    const Language languages[] = {
        {"en", u"Visual Studio Code Insiders Edition"_s,
            u"/Applications/Utilities/A Very Long Folder Name/Example.app"_s},
        {"tr", u"Çok Uzun Bir Uygulama Adı Örneği İçin"_s, u"/Uygulamalar/Araçlar/Çok Uzun Bir Klasör Adı/Örnek.app"_s},
    };
    for (const Language& language : languages) {
        QWidget ground;
        ground.setAutoFillBackground(true);
        QPalette palette = ground.palette();
        palette.setColor(QPalette::Window, groundStops(TruneProductPalette::deepEmerald).middle);
        palette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
        ground.setPalette(palette);
        auto* column = new QVBoxLayout(&ground);
        column->setContentsMargins(12, 12, 12, 12);
        std::vector<TruneElidedLabel*> names;
        std::vector<TruneElidedLabel*> folders;
        for (const int width : {400, 220, 120}) {
            auto* name = new TruneElidedLabel(language.name, Qt::ElideRight);
            name->setFont(truneFont(TruneTextStyle::headline));
            name->setFixedWidth(width);
            auto* folder = new TruneElidedLabel(language.folder, Qt::ElideMiddle);
            folder->setFont(truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced));
            folder->setFixedWidth(width);
            column->addWidget(name);
            column->addWidget(folder);
            names.push_back(name);
            folders.push_back(folder);
        }
        ground.adjustSize();
        saveScreenshot(ground, u"kit-widgets-elided-"_s + QString::fromLatin1(language.code));

        // The narrowest rows are cut: names at their end, folders in their middle, so a folder
        // keeps both its first folder and the bundle's name; every shown text fits its row.
        const QString ellipsis(QChar(0x2026));
        EXPECT_TRUE(names.back()->isElided());
        EXPECT_TRUE(names.back()->displayedText().endsWith(ellipsis));
        EXPECT_TRUE(folders.back()->isElided());
        EXPECT_TRUE(folders.back()->displayedText().contains(ellipsis));
        EXPECT_TRUE(folders.back()->displayedText().startsWith(language.folder.left(2)));
        EXPECT_TRUE(folders.back()->displayedText().endsWith(language.folder.right(4)));
        for (const auto* label : {names.front(), names[1], names.back(), folders.front(), folders[1], folders.back()})
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->displayedText()), label->width())
                << label->displayedText().toStdString();
        expectEveryWidgetShownWhole(ground);
    }
}
