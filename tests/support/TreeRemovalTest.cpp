#include "tests/support/TreeRemoval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("kept");
}

class TreeRemovalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(outside()));
        writeFile(outside() + u"/precious.txt"_s);
        ASSERT_TRUE(QDir().mkpath(tree() + u"/a/b"_s));
        writeFile(tree() + u"/a/b/file.txt"_s);
        writeFile(tree() + u"/top.txt"_s);
    }

    QString outside() const { return m_root.filePath(u"outside"_s); }
    QString tree() const { return m_root.filePath(u"home"_s); }

    QTemporaryDir m_root;
};

TEST_F(TreeRemovalTest, RemovesEveryFileAndFolderAndOnlyTheLinkOfALink)
{
    ASSERT_TRUE(QFile::link(outside(), tree() + u"/a/link-to-outside"_s));
    EXPECT_TRUE(TreeRemoval::removeTree(tree()));
    EXPECT_FALSE(QFileInfo::exists(tree()));
    EXPECT_TRUE(QFileInfo::exists(outside() + u"/precious.txt"_s));
}

TEST_F(TreeRemovalTest, AFolderSwappedForALinkWhileTheRemovalRunsLeadsNowhere)
{
    // Just before the removal enters "a", something moves it away and puts a link to a folder
    // outside in its place.
    const QString swapped = tree() + u"/a"_s;
    bool swappedOnce = false;
    TreeRemoval::removeTree(tree(), [&](const QString& folder) {
        if (folder != swapped || swappedOnce)
            return;
        swappedOnce = true;
        ASSERT_TRUE(QDir().rename(swapped, tree() + u"/moved-a"_s));
        ASSERT_TRUE(QFile::link(outside(), swapped));
    });
    EXPECT_TRUE(swappedOnce);
    EXPECT_TRUE(QFileInfo::exists(outside() + u"/precious.txt"_s)) << "the removal followed the link";
    EXPECT_FALSE(QFileInfo(swapped).isSymLink()) << "the link is removed as a link";
}

} // namespace
