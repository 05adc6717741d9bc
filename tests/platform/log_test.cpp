#include "platform/log.h"

#include "tests/support/logcapture.h"

#include <QLoggingCategory>

#include <gtest/gtest.h>

namespace {

TEST(Log, levelsMapToQtTypesUnderTheProgramsCategory)
{
    LogCapture logs;
    const Log log("LogTestLevels");
    log.fault(QStringLiteral("fault sentence"));
    log.error(QStringLiteral("error sentence"));
    log.info(QStringLiteral("info sentence"));
    log.debug(QStringLiteral("debug sentence"));

    const QList<LogCapture::Line> lines = logs.lines();
    ASSERT_EQ(lines.size(), 4);
    const QtMsgType expected[] = { QtCriticalMsg, QtWarningMsg, QtInfoMsg, QtDebugMsg };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].type, expected[i]) << i;
        EXPECT_EQ(lines[i].category, QStringLiteral("LogTestLevels"));
    }
    EXPECT_EQ(lines[0].message, QStringLiteral("fault sentence")) << "no quotes around the sentence";
    EXPECT_EQ(
        QString::fromLatin1(log.category().categoryName()), QStringLiteral("com.quorvane.app.LogTestLevels"));
}

TEST(Log, objectsOfOneNameShareTheirCategoryAndItsRules)
{
    LogCapture logs;
    const Log first("LogTestShared");
    const Log second("LogTestShared");
    EXPECT_EQ(&first.category(), &second.category());

    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.LogTestShared.debug=false"));
    first.debug(QStringLiteral("hidden"));
    second.debug(QStringLiteral("hidden"));
    second.info(QStringLiteral("shown"));
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*=true"));
    EXPECT_EQ(logs.messages(), QStringList { QStringLiteral("shown") });
}

} // namespace
