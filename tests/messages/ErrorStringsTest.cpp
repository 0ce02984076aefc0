#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(ErrorStrings, CatalogueHoldsItsTextsInDeclarationOrder) {
    const auto all = Msg::All();
    // 32 texts, then unstorable names, import changes, too many works, the
    // calendar's texts, the load question and the work limit
    ASSERT_EQ(all.size(), 46u);
    EXPECT_EQ(all.front(), "Имя работы не может быть пустым");
    EXPECT_EQ(all[31], "-- Время КП: ");
    EXPECT_EQ(all[32], Msg::NameNotStorable);
    EXPECT_EQ(all[33], Msg::ImportChanges);
    EXPECT_EQ(all.back(), Msg::WorkLimitReached);
}

TEST(ErrorStrings, TextsKeepTheirOddSpellingsAndBlanks) {
    EXPECT_NE(Msg::CountMismatch.find("ощибка"), std::string_view::npos);
    EXPECT_NE(Msg::PiARealInArc.find("proceudre"), std::string_view::npos);
    EXPECT_NE(Msg::PiAFictiveOut.find("proceudre"), std::string_view::npos);
    EXPECT_NE(Msg::PiANotFound.find("hPiA  ("), std::string_view::npos);
    EXPECT_EQ(Msg::PathTime.back(), ' ');
}

TEST(ErrorStrings, LineBreaksAreLoneCarriageReturns) {
    for (std::string_view text : {Msg::Contour, Msg::NothingToSave}) {
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 1) << text;
        EXPECT_EQ(text.find('\n'), std::string_view::npos) << text;
    }
    for (std::string_view text : Msg::All()) {
        if (text != Msg::Contour && text != Msg::NothingToSave) {
            EXPECT_EQ(text.find('\r'), std::string_view::npos) << text;
        }
    }
}

TEST(InternalFault, CarriesItsTextUnchanged) {
    try {
        RaiseFault(Msg::RootNotFound);
        FAIL();
    } catch (const EInternalFault& fault) {
        EXPECT_EQ(fault.what(), std::string(Msg::RootNotFound));
    }
}
