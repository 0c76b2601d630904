#include "core/homebrew/BrewJsonShape.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr BrewJsonField kegFields[] = {{"version"}};
constexpr BrewJsonShape kegShape{kegFields};
constexpr BrewJsonField packageFields[] = {{"name"}, {"installed", &kegShape}, {"artifacts"}};
constexpr BrewJsonShape packageShape{packageFields};
constexpr BrewJsonField documentFields[] = {{"formulae", &packageShape}};
constexpr BrewJsonShape documentShape{documentFields};

QByteArray compact(const TruneJsonResult<QJsonValue>& value)
{
    if (!value)
        return "error: " + value.error().description().toUtf8();
    return QJsonDocument(QJsonArray{*value}).toJson(QJsonDocument::Compact);
}

// A value nested `levels` deep in arrays.
QByteArray nestedArrays(int levels)
{
    return QByteArray(levels, '[') + QByteArray(levels, ']');
}

TEST(BrewJsonShapeTest, KeepsOnlyTheNamedKeysAndWholeValuesWhereNoShapeIsGiven)
{
    const QByteArray document = R"({
        "formulae": [
            {"name": "wget", "desc": "ignored", "bottle": {"files": {"arm64": {"url": "u"}}},
             "installed": [{"version": "1.0", "time": 17}, {"version": "1.1", "runtime_dependencies": [1, 2]}],
             "artifacts": [{"app": ["A.app", {"target": "B.app"}]}, "plain"]},
            {"name": 7, "installed": "a text where a list belongs"}
        ],
        "casks": [{"token": "ignored"}]
    })";

    EXPECT_EQ(compact(parseBrewJson(document, documentShape)),
        R"([{"formulae":[{"artifacts":[{"app":["A.app",{"target":"B.app"}]},"plain"],)"
        R"("installed":[{"version":"1.0"},{"version":"1.1"}],"name":"wget"},)"
        R"({"installed":"a text where a list belongs","name":7}]}])");
}

TEST(BrewJsonShapeTest, ScalarsAndDuplicateKeysReadAsQtsParserReadsThem)
{
    const struct {
        const char* document;
        const char* expected;
    } rows[] = {
        {R"({"formulae": [{"name": "old"}, {"name": "a", "name": "b"}]})",
            R"([{"formulae":[{"name":"old"},{"name":"b"}]}])"},
        {R"({"formulae": [{"name": "\u00e9\ud83d\ude00\n"}]})",
            "[{\"formulae\":[{\"name\":\"\xc3\xa9\xf0\x9f\x98\x80\\n\"}]}]"},
        {R"({"formulae": [{"name": -9007199254740993}, {"name": 1.5}, {"name": null}, {"name": false}]})",
            R"([{"formulae":[{"name":-9007199254740993},{"name":1.5},{"name":null},{"name":false}]}])"},
        {R"( "a lone text" )", R"(["a lone text"])"},
        // White space between tokens goes, inside strings it stays.
        {"\r\n{ \"formulae\" :\t[ { \"name\" : \" a \\\" , b \\\\\" } ]\n}\n",
            R"([{"formulae":[{"name":" a \" , b \\"}]}])"},
        {R"({"formulae": [{"na\u006de": "escaped key"}]})", R"([{"formulae":[{"name":"escaped key"}]}])"},
        {"[]", "[[]]"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(compact(parseBrewJson(row.document, documentShape)), row.expected) << row.document;
}

// The parts that are not kept are still read through: a fault anywhere fails the whole text.
TEST(BrewJsonShapeTest, AnyFaultInTheTextFailsItEvenWhereNothingIsKept)
{
    const QByteArray faults[] = {
        "",
        "   ",
        R"({"formulae": [{"name": "wget"}])",
        R"({"formulae": [], "caveats": [1, ]})",
        R"({"formulae": [], "caveats": "\q"})",
        R"({"formulae": [], "caveats": "\ud83d"})",
        R"({"formulae": [], "caveats": nul})",
        R"({"formulae": [], "caveats": tru})",
        R"({"formulae": [], "caveats": 01})",
        R"({"formulae": [], "caveats": NaN})",
        R"({"formulae": [], "caveats": "tab	inside"})",
        "{\"formulae\": [], \"caveats\": \"\xff\xfe\"}",
        R"({"formulae": [], "caveats": {"a" 1}})",
        R"({"formulae": [], "caveats": 1,})",
        R"({"formulae": []} {"casks": []})",
        R"({"formulae": []} trailing)",
        R"({"formulae": []}])",
        R"("one" "two")",
        R"({"formulae": [], "caveats": [1 2]})",
        R"({"formulae": [], "caveats": tr ue})",
        R"({"formulae": [], "caveats": "a" "b"})",
        "{\"formulae\": [], \"caveats\": " + nestedArrays(1100) + "}",
        "{\"formulae\": [{\"artifacts\": " + nestedArrays(1100) + "}]}",
    };
    for (const QByteArray& fault : faults) {
        const TruneJsonResult<QJsonValue> parsed = parseBrewJson(fault, documentShape);
        ASSERT_FALSE(parsed.has_value()) << fault.left(120).toStdString();
        EXPECT_TRUE(parsed.error().keyPath.isEmpty());
        EXPECT_TRUE(parsed.error().reason.startsWith(QLatin1String("invalid JSON")))
            << parsed.error().reason.toStdString();
    }
}

TEST(BrewJsonShapeTest, DeepNestingWithinTheLimitIsRead)
{
    const QByteArray document = "{\"formulae\": [], \"caveats\": " + nestedArrays(990) + "}";
    EXPECT_EQ(compact(parseBrewJson(document, documentShape)), R"([{"formulae":[]}])");
}

// A text whose buffer has no room behind it (as raw data never has) is read from a copy.
TEST(BrewJsonShapeTest, ReadsATextWithoutSpareRoomBehindIt)
{
    static const char text[] = R"({"formulae": [{"name": "wget"}]})";
    const QByteArray rawText = QByteArray::fromRawData(text, sizeof(text) - 1);
    EXPECT_EQ(compact(parseBrewJson(rawText, documentShape)), R"([{"formulae":[{"name":"wget"}]}])");
}

} // namespace
