// The caption of message boxes and the text of the default error report.
#include <gtest/gtest.h>

#include "platform/qtplatform.h"

namespace korvex {
namespace {

TEST(ApplicationTitle, IsTheProgramNameCutAtTheFirstDotWithOnlyTheFirstLetterKept) {
    EXPECT_EQ(applicationTitle(QStringLiteral("/usr/bin/Korvex21")), "Korvex21");
    EXPECT_EQ(applicationTitle(QStringLiteral("C:/Programme/KORVEX21.EXE")), "Korvex21");
    EXPECT_EQ(applicationTitle(QStringLiteral("/opt/korvex.neu.exe")), "korvex");
    EXPECT_EQ(applicationTitle(QStringLiteral("/opt/ÄRGER.bin")), "Ärger");
}

TEST(ErrorReportText, GetsAFullStopOnlyAfterCharactersAboveTheDot) {
    EXPECT_EQ(errorReportText(QStringLiteral("Datei x kann nicht erstellt werden")),
              "Datei x kann nicht erstellt werden.");
    EXPECT_EQ(errorReportText(QStringLiteral("Fehler!")), "Fehler!");
    EXPECT_EQ(errorReportText(QStringLiteral("(siehe oben)")), "(siehe oben)");
    EXPECT_EQ(errorReportText(QStringLiteral("Ende.")), "Ende.");
    EXPECT_EQ(errorReportText(QStringLiteral("Wert 5")), "Wert 5.");
    EXPECT_EQ(errorReportText(QStringLiteral("'x' ist kein gültiger Integerwert")),
              "'x' ist kein gültiger Integerwert.");
    EXPECT_EQ(errorReportText(QString()), "");
}

}  // namespace
}  // namespace korvex
