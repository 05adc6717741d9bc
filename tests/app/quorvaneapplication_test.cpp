#include "app/quorvaneapplication.h"
#include "tests/support/logcapture.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

TEST(QuorvaneApplication, anEscapedExceptionIsLoggedAsAFaultAndEndsWithFailure)
{
    LogCapture log;
    EXPECT_NE(QuorvaneApplication::reportUnexpectedError(
                  std::make_exception_ptr(std::runtime_error("vault index out of range"))),
        0);
    EXPECT_NE(QuorvaneApplication::reportUnexpectedError(std::make_exception_ptr(42)), 0);
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_EQ(log.lines()[0].message,
        QStringLiteral("Quorvane stopped on an unexpected error: vault index out of range"));
    EXPECT_EQ(log.lines()[1].message,
        QStringLiteral("Quorvane stopped on an unexpected error: an exception of unknown type"));
    EXPECT_EQ(log.lines()[0].type, QtCriticalMsg);
    EXPECT_EQ(log.lines()[1].type, QtCriticalMsg);
}

} // namespace
