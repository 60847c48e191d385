#include "adapters/qt/QtTranslations.hpp"

#include <QFile>
#include <QLocale>
#include <QString>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "core/HiddenItemPanelModel.hpp"
#include "core/UserTexts.hpp"

namespace stowbar {
namespace {

// Installs translations for one test and takes them away again, whatever the test does.
struct InstalledTranslations {
    QtTranslations translations;
    explicit InstalledTranslations(const char* locale) : translations{QLocale(locale)} {
        useTranslations(&translations);
    }
    ~InstalledTranslations() { useTranslations(nullptr); }
    InstalledTranslations(const InstalledTranslations&) = delete;
    InstalledTranslations& operator=(const InstalledTranslations&) = delete;
};

TEST(QtTranslationsTest, ATranslationFileGivesItsLanguagesPluralFormsAndEnglishWhereItIsSilent) {
    // Polish has three forms, chosen by rules English does not have (22 is "few", 12 "many").
    {
        const InstalledTranslations polish("pl_PL");
        ASSERT_TRUE(polish.translations.loaded());
        const std::pair<std::int64_t, const char*> counts[] = {
            {1, "1 ukryty element"},       {2, "2 ukryte elementy"},   {5, "5 ukrytych elementów"},
            {12, "12 ukrytych elementów"}, {22, "22 ukryte elementy"}, {0, "0 ukrytych elementów"},
        };
        for (const auto& [count, expected] : counts) {
            EXPECT_EQ(HiddenItemPanelModel::footerText(count), expected) << count;
        }
        EXPECT_EQ(HiddenItemPanelModel::filteredFooterText(1, 1), "1 z 1 ukrytego elementu");
        EXPECT_EQ(localized(panel_text::kQuit), "Zakończ");
        // Not translated in this file: shown as the table writes it.
        EXPECT_EQ(localized(panel_text::kUpdates), "Updates");
    }
    // A language nobody translated: every text in English, its counts in English forms.
    const InstalledTranslations german("de_DE");
    EXPECT_FALSE(german.translations.loaded());
    EXPECT_EQ(HiddenItemPanelModel::footerText(1), "1 Hidden Item");
    EXPECT_EQ(localized(panel_text::kQuit), "Quit");
}

TEST(QtTranslationsTest, TheTranslatorsListHoldsEveryTextOfTheTableAndNothingElse) {
    QFile file(QStringLiteral(STOWBAR_TRANSLATIONS_DIR "/stowbar.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::set<std::string> listed;
    std::set<std::string> counted;
    bool numerus = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QStringLiteral("message")) {
            numerus = xml.attributes().value(QStringLiteral("numerus")) == QStringLiteral("yes");
        } else if (xml.name() == QStringLiteral("source")) {
            const std::string source = xml.readElementText().toStdString();
            listed.insert(source);
            if (numerus) {
                counted.insert(source);
            }
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    std::set<std::string> table;
    for (const std::string_view key : kEveryTextKey) {
        table.emplace(key);
    }
    EXPECT_EQ(listed, table);
    EXPECT_EQ(counted, (std::set<std::string>{std::string(panel_text::kHiddenItemsCount.other),
                                              std::string(panel_text::kFilteredCount.other)}));
}

}  // namespace
}  // namespace stowbar
