#include "core/inventory/MachOArchitectureReader.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

using namespace BundleMaker;
using MachOArchitectureReader::detectAppBundle;
using MachOArchitectureReader::detectExecutable;
using MachOArchitectureReader::detectFromData;

struct HeaderCase {
    const char* label;
    QByteArray bytes;
    AppArchitecture expected;
};

TEST(MachOArchitectureReaderTest, HeaderBytesTellTheArchitecture)
{
    QList<quint32> sixtyFourEntries(63, kCpuTypePowerPC);
    sixtyFourEntries.append(kCpuTypeArm64);
    const QList<quint32> sixtyFiveEntries(65, kCpuTypeArm64);

    const HeaderCase cases[] = {
        {"thin 64-bit little-endian arm64", thinMachO(kCpuTypeArm64), AppArchitecture::appleSilicon},
        {"thin 64-bit little-endian x86-64", thinMachO(kCpuTypeX86_64), AppArchitecture::intel},
        {"thin 64-bit big-endian arm64", thinMachO(kCpuTypeArm64, ByteOrder::big), AppArchitecture::appleSilicon},
        {"thin 32-bit little-endian x86", thinMachO(kCpuTypeX86, ByteOrder::little, false), AppArchitecture::intel},
        {"thin 32-bit big-endian arm64_32", thinMachO(kCpuTypeArm64_32, ByteOrder::big, false),
            AppArchitecture::appleSilicon},
        {"thin big-endian PowerPC", thinMachO(kCpuTypePowerPC, ByteOrder::big, false), AppArchitecture::unknown},
        {"thin header of exactly 8 bytes", thinMachO(kCpuTypeX86_64).left(8), AppArchitecture::intel},
        {"fat x86-64 and arm64", fatMachO({kCpuTypeX86_64, kCpuTypeArm64}), AppArchitecture::universal},
        {"fat stored little-endian", fatMachO({kCpuTypeX86_64, kCpuTypeArm64}, false, ByteOrder::little),
            AppArchitecture::universal},
        {"fat 64-bit steps 32 bytes", fatMachO({kCpuTypeX86_64, kCpuTypeArm64}, true), AppArchitecture::universal},
        {"fat 64-bit stored little-endian", fatMachO({kCpuTypePowerPC, kCpuTypeArm64}, true, ByteOrder::little),
            AppArchitecture::appleSilicon},
        {"fat with x86 only", fatMachO({kCpuTypeX86, kCpuTypeX86_64}), AppArchitecture::intel},
        {"fat of PowerPC only", fatMachO({kCpuTypePowerPC}), AppArchitecture::unknown},
        {"fat with 64 entries", fatMachO(sixtyFourEntries), AppArchitecture::appleSilicon},
        {"fat with 65 entries", fatMachO(sixtyFiveEntries), AppArchitecture::unknown},
        {"fat with no entries", fatMachO({}), AppArchitecture::unknown},
        {"fat declaring 4294967295 entries", fatMachO({kCpuTypeArm64}, false, ByteOrder::big, 0xFFFFFFFF),
            AppArchitecture::unknown},
        {"fat declaring 64 entries but holding one", fatMachO({kCpuTypeArm64}, true, ByteOrder::big, 64),
            AppArchitecture::appleSilicon},
        {"fat cut short after its first entry", fatMachO({kCpuTypeX86_64, kCpuTypeArm64}).left(28),
            AppArchitecture::intel},
        {"fat 64-bit cut inside the second CPU type", fatMachO({kCpuTypeArm64, kCpuTypeX86_64}, true).left(43),
            AppArchitecture::appleSilicon},
        {"fat header without room for an entry", fatMachO({kCpuTypeArm64}).left(11), AppArchitecture::unknown},
        {"7 bytes", thinMachO(kCpuTypeArm64).left(7), AppArchitecture::unknown},
        {"nothing", QByteArray(), AppArchitecture::unknown},
        {"ELF header",
            QByteArray("\x7f"
                       "ELF\x02\x01\x01\x00\x00\x00\x00\x00",
                12),
            AppArchitecture::unknown},
        {"shell script", QByteArrayLiteral("#!/bin/sh\nexec true\n"), AppArchitecture::unknown},
        {"zeros", QByteArray(4096, '\0'), AppArchitecture::unknown},
    };
    for (const HeaderCase& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(rawValue(detectFromData(row.bytes)), rawValue(row.expected));
    }
}

class MachOFileTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return m_home.filePath(relative); }

    TempHome m_home;
};

TEST_F(MachOFileTest, OnlyRegularFilesAreReadAndNeverPastTheirHeader)
{
    QByteArray largeUniversal = fatMachO({kCpuTypeX86_64, kCpuTypeArm64});
    largeUniversal.append(QByteArray(1 << 20, 'x'));
    writeFile(path(QStringLiteral("universal")), largeUniversal);
    writeFile(path(QStringLiteral("intel")), thinMachO(kCpuTypeX86_64));
    writeFile(path(QStringLiteral("short")), thinMachO(kCpuTypeArm64).left(7));
    makeFifo(path(QStringLiteral("pipe")));
    makeSymlink(QStringLiteral("/dev/zero"), path(QStringLiteral("zeros")));
    makeSymlink(path(QStringLiteral("intel")), path(QStringLiteral("link-to-intel")));
    makeFolder(path(QStringLiteral("folder")));

    const struct {
        const char* name;
        AppArchitecture expected;
    } cases[] = {
        {"universal", AppArchitecture::universal},
        {"intel", AppArchitecture::intel},
        {"short", AppArchitecture::unknown},
        {"pipe", AppArchitecture::unknown},
        {"zeros", AppArchitecture::unknown},
        {"link-to-intel", AppArchitecture::unknown},
        {"folder", AppArchitecture::unknown},
        {"missing", AppArchitecture::unknown},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rawValue(detectExecutable(path(QLatin1String(row.name)))), rawValue(row.expected));
    }
}

TEST_F(MachOFileTest, BundleTriesItsNamedExecutableThenEveryFileOfMacOSInNameOrder)
{
    const QByteArray script = QByteArrayLiteral("#!/bin/sh\nexec true\n");
    const QString named = makeAppBundle(path(QStringLiteral("Named.app")),
        {.plistFormat = PlistFormat::binary,
            .executableName = QStringLiteral("Tool"),
            .executable = thinMachO(kCpuTypeX86_64)});
    writeFile(named + QStringLiteral("/Contents/MacOS/Another"), thinMachO(kCpuTypeArm64));

    const QString missing = makeAppBundle(path(QStringLiteral("Missing.app")),
        {.info = QVariantMap{{QStringLiteral("CFBundleExecutable"), QStringLiteral("Gone")}}});
    writeFile(missing + QStringLiteral("/Contents/MacOS/a-launcher"), script);
    writeFile(missing + QStringLiteral("/Contents/MacOS/b-tool"), fatMachO({kCpuTypeX86_64, kCpuTypeArm64}));
    writeFile(missing + QStringLiteral("/Contents/MacOS/c-tool"), thinMachO(kCpuTypeX86_64));

    const QString scripted = makeAppBundle(
        path(QStringLiteral("Scripted.app")), {.executableName = QStringLiteral("z-launcher"), .executable = script});
    writeFile(scripted + QStringLiteral("/Contents/MacOS/helper"), thinMachO(kCpuTypeX86_64));

    const QString withoutInfo = makeAppBundle(path(QStringLiteral("WithoutInfo.app")), {.info = std::nullopt});
    writeFile(withoutInfo + QStringLiteral("/Contents/MacOS/.hidden"), thinMachO(kCpuTypeX86_64));
    writeFile(withoutInfo + QStringLiteral("/Contents/MacOS/tool"), thinMachO(kCpuTypeArm64));

    const QString onlyHidden = makeAppBundle(path(QStringLiteral("OnlyHidden.app")), {.info = std::nullopt});
    writeFile(onlyHidden + QStringLiteral("/Contents/MacOS/.tool"), thinMachO(kCpuTypeArm64));

    const QString noMacOS = path(QStringLiteral("NoMacOS.app"));
    writeFile(noMacOS + QStringLiteral("/Contents/Info.plist"),
        propertyList(QVariantMap{{QStringLiteral("CFBundleExecutable"), QStringLiteral("Tool")}}));

    const struct {
        QString bundle;
        AppArchitecture expected;
    } cases[] = {
        {named, AppArchitecture::intel},
        {missing, AppArchitecture::universal},
        {scripted, AppArchitecture::intel},
        {withoutInfo, AppArchitecture::appleSilicon},
        {onlyHidden, AppArchitecture::unknown},
        {noMacOS, AppArchitecture::unknown},
        {path(QStringLiteral("Absent.app")), AppArchitecture::unknown},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bundle.toStdString());
        EXPECT_EQ(rawValue(detectAppBundle(row.bundle)), rawValue(row.expected));
    }
}

// A hostile bundle must neither hang the reader nor send it outside the bundle.
TEST_F(MachOFileTest, HostileBundleGivesUnknownWithoutBlockingOrLeavingTheBundle)
{
    const QString outside = path(QStringLiteral("outside"));
    writeFile(outside, thinMachO(kCpuTypeArm64));

    const QString fifoExecutable = makeAppBundle(path(QStringLiteral("FifoExecutable.app")),
        {.info = QVariantMap{{QStringLiteral("CFBundleExecutable"), QStringLiteral("Tool")}}});
    makeFifo(fifoExecutable + QStringLiteral("/Contents/MacOS/Tool"));

    const QString zeroExecutable = makeAppBundle(path(QStringLiteral("ZeroExecutable.app")),
        {.info = QVariantMap{{QStringLiteral("CFBundleExecutable"), QStringLiteral("Tool")}}});
    makeSymlink(QStringLiteral("/dev/zero"), zeroExecutable + QStringLiteral("/Contents/MacOS/Tool"));

    const QString fifoInfo = makeAppBundle(path(QStringLiteral("FifoInfo.app")), {.info = std::nullopt});
    makeFifo(fifoInfo + QStringLiteral("/Contents/Info.plist"));

    const QString zeroInfo = makeAppBundle(path(QStringLiteral("ZeroInfo.app")), {.info = std::nullopt});
    makeSymlink(QStringLiteral("/dev/zero"), zeroInfo + QStringLiteral("/Contents/Info.plist"));

    const QString fifoInfoWithTool
        = makeAppBundle(path(QStringLiteral("FifoInfoWithTool.app")), {.info = std::nullopt});
    makeFifo(fifoInfoWithTool + QStringLiteral("/Contents/Info.plist"));
    writeFile(fifoInfoWithTool + QStringLiteral("/Contents/MacOS/tool"), thinMachO(kCpuTypeX86_64));

    const QStringList escapingNames = {QStringLiteral("../../../outside"), QStringLiteral("../Resources/tool"), outside,
        QStringLiteral(".."), QString()};
    QStringList escaping;
    for (qsizetype index = 0; index < escapingNames.size(); ++index) {
        const QString bundle = makeAppBundle(path(QStringLiteral("Escaping%1.app").arg(index)),
            {.info = QVariantMap{{QStringLiteral("CFBundleExecutable"), escapingNames[index]}}});
        writeFile(bundle + QStringLiteral("/Contents/Resources/tool"), thinMachO(kCpuTypeArm64));
        escaping.append(bundle);
    }

    const struct {
        QString bundle;
        AppArchitecture expected;
    } cases[] = {
        {fifoExecutable, AppArchitecture::unknown},
        {zeroExecutable, AppArchitecture::unknown},
        {fifoInfo, AppArchitecture::unknown},
        {zeroInfo, AppArchitecture::unknown},
        {fifoInfoWithTool, AppArchitecture::intel},
        {escaping[0], AppArchitecture::unknown},
        {escaping[1], AppArchitecture::unknown},
        {escaping[2], AppArchitecture::unknown},
        {escaping[3], AppArchitecture::unknown},
        {escaping[4], AppArchitecture::unknown},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bundle.toStdString());
        EXPECT_EQ(rawValue(detectAppBundle(row.bundle)), rawValue(row.expected));
    }
}

} // namespace
