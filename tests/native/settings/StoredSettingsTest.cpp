#include <gtest/gtest.h>

#include "ErrorText.h"
#include "fakes/MemoryRegistry.h"
#include "settings/StoredSettings.h"

namespace {

using fakes::MemoryRegistry;
using namespace settings;

const char kDefaults[] = "Software\\Quodo\\Defaults";
constexpr unsigned kRegQword = 11;

class StoredSettingsTest : public ::testing::Test {
protected:
    std::vector<std::string> ChangedNames() const {
        std::vector<std::string> names;
        for (const auto& change : registry.Changes()) names.push_back(change.name);
        return names;
    }

    MemoryRegistry registry;
    SettingsStore store{"Quodo", &registry};
};

// --- First run ---

TEST_F(StoredSettingsTest, AnEmptyStoreGivesTheDefaultsAndCreatesOnlyTheKey) {
    MainWindowSettings main = LoadMainWindowSettings(store);
    EXPECT_EQ(main.top, 10);
    EXPECT_EQ(main.left, 10);
    EXPECT_TRUE(main.normalMode);

    // 1280 x 1024 screen, dialog 533 x 306: (1024 - 306) / 2 = 359, (1280 - 533) / 2 = 373.
    DialogPosition position = LoadDialogPosition(store, {1280, 1024}, {533, 306});
    EXPECT_EQ(position.top, 359);
    EXPECT_EQ(position.left, 373);

    DialogSettings dialog = LoadDialogSettings(store);
    EXPECT_TRUE(dialog.downloadOn);
    EXPECT_EQ(dialog.seconds, 30);
    EXPECT_TRUE(dialog.alarmOn);
    EXPECT_EQ(dialog.upperBound, 550);
    EXPECT_EQ(dialog.lowerBound, 400);
    EXPECT_TRUE(dialog.soundOn);
    EXPECT_TRUE(dialog.updatesOn);
    EXPECT_TRUE(dialog.normalMode);

    EXPECT_TRUE(registry.KeyExists("Software\\Quodo"));
    EXPECT_FALSE(registry.KeyExists(kDefaults));
    EXPECT_TRUE(registry.Changes().empty());
    EXPECT_FALSE(store.IsOpen());
}

// --- Main window ---

TEST_F(StoredSettingsTest, MainWindowPositionAndModeRoundTrip) {
    SaveMainWindowPosition(store, -40, 1670);
    SaveWindowMode(store, false);
    EXPECT_EQ(ChangedNames(), (std::vector<std::string>{"MainTop", "MainLeft", "Normale Modus"}));
    EXPECT_EQ(registry.GetDword(kDefaults, "MainTop"), static_cast<uint32_t>(-40));
    EXPECT_EQ(registry.GetDword(kDefaults, "MainLeft"), 1670u);
    EXPECT_EQ(registry.GetString(kDefaults, "Normale Modus"), "0");

    MainWindowSettings main = LoadMainWindowSettings(store);
    EXPECT_EQ(main.top, -40);  // the window corrects its own position when shown
    EXPECT_EQ(main.left, 1670);
    EXPECT_FALSE(main.normalMode);

    SaveWindowMode(store, true);
    EXPECT_EQ(registry.GetString(kDefaults, "Normale Modus"), "1");
    EXPECT_TRUE(LoadMainWindowSettings(store).normalMode);
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoredSettingsTest, MainWindowPositionStoredAsTextStaysText) {
    registry.PutString(kDefaults, "MainTop", "25");
    EXPECT_EQ(LoadMainWindowSettings(store).top, 25);
    SaveMainWindowPosition(store, 30, 40);
    EXPECT_EQ(registry.GetString(kDefaults, "MainTop"), "30");
    EXPECT_EQ(registry.GetDword(kDefaults, "MainLeft"), 40u);
}

TEST_F(StoredSettingsTest, AFailingMainWindowReadStopsTheBatchAfterTheValuesBeforeIt) {
    registry.PutDword(kDefaults, "MainTop", 77);
    registry.Put(kDefaults, "MainLeft", kRegQword, std::string(8, '\0'));
    registry.PutString(kDefaults, "Normale Modus", "0");
    MainWindowSettings main;
    main.left = 123;
    EXPECT_EQ(ErrorText([&] { LoadMainWindowSettings(store, main); }), "Failed to get data for 'MainLeft'");
    EXPECT_EQ(main.top, 77);
    EXPECT_EQ(main.left, 123);
    EXPECT_TRUE(main.normalMode);
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoredSettingsTest, ARefusedPositionWriteStopsTheBatch) {
    registry.RefuseWritesOf("MainLeft");
    EXPECT_EQ(ErrorText([&] { SaveMainWindowPosition(store, 1, 2); }), "Failed to set data for 'MainLeft'");
    EXPECT_EQ(registry.GetDword(kDefaults, "MainTop"), 1u);
    EXPECT_FALSE(registry.Get(kDefaults, "MainLeft"));
    EXPECT_FALSE(store.IsOpen());

    MemoryRegistry fresh;
    fresh.RefuseKeyCreation();
    SettingsStore freshStore("Quodo", &fresh);
    EXPECT_EQ(ErrorText([&] { SaveWindowMode(freshStore, false); }), "Failed to create key Defaults");
    EXPECT_TRUE(fresh.Changes().empty());
    EXPECT_FALSE(freshStore.IsOpen());
}

// --- Dialog position ---

TEST_F(StoredSettingsTest, DialogPositionIsReadAndKeptWhollyOnTheScreen) {
    registry.PutDword(kDefaults, "ConfigTop", static_cast<uint32_t>(-40));
    registry.PutDword(kDefaults, "ConfigLeft", 5000);
    DialogPosition position = LoadDialogPosition(store, {1280, 1024}, {533, 306});
    EXPECT_EQ(position.top, 10);
    EXPECT_EQ(position.left, 1280 - 533);

    registry.PutDword(kDefaults, "ConfigTop", 2147483647);
    registry.PutDword(kDefaults, "ConfigLeft", 747);
    position = LoadDialogPosition(store, {1280, 1024}, {533, 306});
    EXPECT_EQ(position.top, 1024 - 306);
    EXPECT_EQ(position.left, 747);

    registry.PutDword(kDefaults, "ConfigTop", 0);
    registry.PutDword(kDefaults, "ConfigLeft", static_cast<uint32_t>(-1));
    position = LoadDialogPosition(store, {1280, 1024}, {533, 306});
    EXPECT_EQ(position.top, 0);
    EXPECT_EQ(position.left, 10);
}

TEST_F(StoredSettingsTest, DialogDefaultsCentreWithTruncationAndStayOnScreen) {
    // (601 - 300) / 2 = 150 (150.5 truncated); (800 - 201) / 2 = 299 (299.5 truncated).
    DialogPosition position = LoadDialogPosition(store, {800, 601}, {201, 300});
    EXPECT_EQ(position.top, 150);
    EXPECT_EQ(position.left, 299);
    // A dialog larger than the screen: the centred place would be negative.
    position = LoadDialogPosition(store, {400, 300}, {533, 306});
    EXPECT_EQ(position.top, 10);
    EXPECT_EQ(position.left, 10);
}

TEST_F(StoredSettingsTest, DialogPositionRoundTrips) {
    SaveDialogPosition(store, 120, 340);
    EXPECT_EQ(ChangedNames(), (std::vector<std::string>{"ConfigTop", "ConfigLeft"}));
    DialogPosition position = LoadDialogPosition(store, {1280, 1024}, {533, 306});
    EXPECT_EQ(position.top, 120);
    EXPECT_EQ(position.left, 340);
}

// --- Dialog load and save ---

TEST_F(StoredSettingsTest, DialogSettingsRoundTripInOrderAndKind) {
    DialogSettings saved;
    saved.downloadOn = false;
    saved.seconds = 45;
    saved.alarmOn = false;
    saved.upperBound = 2147483647;
    saved.lowerBound = -2147483647 - 1;
    saved.soundOn = false;
    saved.updatesOn = false;
    saved.normalMode = false;
    SaveDialogSettings(store, saved);
    EXPECT_EQ(ChangedNames(), (std::vector<std::string>{"DownloadTimer Aan", "Aantal seconden", "Alarm Aan",
                                                         "Bovengrens", "Ondergrens", "Geluid Aan", "Updates Aan",
                                                         "Normale Modus"}));
    EXPECT_EQ(registry.GetString(kDefaults, "DownloadTimer Aan"), "0");
    EXPECT_EQ(registry.GetDword(kDefaults, "Aantal seconden"), 45u);
    EXPECT_EQ(registry.GetDword(kDefaults, "Bovengrens"), 2147483647u);
    EXPECT_EQ(registry.GetString(kDefaults, "Updates Aan"), "0");

    DialogSettings loaded = LoadDialogSettings(store);
    EXPECT_FALSE(loaded.downloadOn);
    EXPECT_EQ(loaded.seconds, 45);
    EXPECT_FALSE(loaded.alarmOn);
    EXPECT_EQ(loaded.upperBound, 2147483647);
    EXPECT_EQ(loaded.lowerBound, INT32_MIN);
    EXPECT_FALSE(loaded.soundOn);
    EXPECT_FALSE(loaded.updatesOn);
    EXPECT_FALSE(loaded.normalMode);
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoredSettingsTest, SecondsArePulledIntoTheFieldsRange) {
    struct Case {
        int32_t stored;
        int expected;
    };
    for (Case c : {Case{5, 10}, Case{10, 10}, Case{600, 600}, Case{1000, 600}, Case{-30, 10}, Case{0, 10}}) {
        registry.PutDword(kDefaults, "Aantal seconden", static_cast<uint32_t>(c.stored));
        EXPECT_EQ(LoadDialogSettings(store).seconds, c.expected) << c.stored;
    }
}

TEST_F(StoredSettingsTest, BoundStoredAsTextReadsAndIsWrittenBackAsText) {
    registry.PutString(kDefaults, "Bovengrens", "612");
    DialogSettings settings = LoadDialogSettings(store);
    EXPECT_EQ(settings.upperBound, 612);
    SaveDialogSettings(store, settings);
    EXPECT_EQ(registry.GetString(kDefaults, "Bovengrens"), "612");
    EXPECT_EQ(registry.GetDword(kDefaults, "Ondergrens"), 400u);

    registry.PutString(kDefaults, "Bovengrens", "abc");
    EXPECT_EQ(LoadDialogSettings(store).upperBound, 550);
}

TEST_F(StoredSettingsTest, AFlagStoredAsANumberIsWrittenBackAsText) {
    registry.PutDword(kDefaults, "Geluid Aan", 7);
    registry.PutDword(kDefaults, "Updates Aan", 0);
    DialogSettings settings = LoadDialogSettings(store);
    EXPECT_TRUE(settings.soundOn);
    EXPECT_FALSE(settings.updatesOn);
    SaveDialogSettings(store, settings);
    EXPECT_EQ(registry.GetString(kDefaults, "Geluid Aan"), "1");
    EXPECT_EQ(registry.GetString(kDefaults, "Updates Aan"), "0");
}

TEST_F(StoredSettingsTest, LegacyMinutesBecomeSecondsAndReplaceTheStoredSeconds) {
    registry.PutDword(kDefaults, "Aantal minuten", 3);
    registry.PutDword(kDefaults, "Aantal seconden", 45);
    EXPECT_EQ(LoadDialogSettings(store).seconds, 180);
    EXPECT_FALSE(registry.Get(kDefaults, "Aantal minuten"));
    EXPECT_EQ(registry.GetDword(kDefaults, "Aantal seconden"), 180u);
    // A restart or a Cancel loads again and keeps the converted interval.
    EXPECT_EQ(LoadDialogSettings(store).seconds, 180);
}

TEST_F(StoredSettingsTest, LegacyMinutesArePulledIntoTheRangeWithoutOverflow) {
    struct Case {
        int32_t minutes;
        int expected;
    };
    for (Case c : {Case{20, 600}, Case{10, 600}, Case{1, 60}, Case{-1, 10}, Case{2147483647, 600},
                   Case{-2147483647 - 1, 10}}) {
        registry.PutDword(kDefaults, "Aantal minuten", static_cast<uint32_t>(c.minutes));
        EXPECT_EQ(LoadDialogSettings(store).seconds, c.expected) << c.minutes;
        EXPECT_FALSE(registry.Get(kDefaults, "Aantal minuten")) << c.minutes;
        EXPECT_EQ(registry.GetDword(kDefaults, "Aantal seconden"), static_cast<uint32_t>(c.expected));
    }
}

TEST_F(StoredSettingsTest, LegacyMinutesAsTextAndSecondsAsTextKeepTheirKinds) {
    registry.PutString(kDefaults, "Aantal minuten", "2");
    registry.PutString(kDefaults, "Aantal seconden", "45");
    EXPECT_EQ(LoadDialogSettings(store).seconds, 120);
    EXPECT_EQ(registry.GetString(kDefaults, "Aantal seconden"), "120");
    EXPECT_FALSE(registry.Get(kDefaults, "Aantal minuten"));
}

TEST_F(StoredSettingsTest, ZeroOrUnreadableMinutesLeaveTheSecondsAndTheMinutes) {
    registry.PutDword(kDefaults, "Aantal minuten", 0);
    registry.PutDword(kDefaults, "Aantal seconden", 45);
    EXPECT_EQ(LoadDialogSettings(store).seconds, 45);
    EXPECT_EQ(registry.GetDword(kDefaults, "Aantal minuten"), 0u);

    registry.PutString(kDefaults, "Aantal minuten", "drie");
    EXPECT_EQ(LoadDialogSettings(store).seconds, 45);
    EXPECT_EQ(registry.GetString(kDefaults, "Aantal minuten"), "drie");
    EXPECT_TRUE(registry.Changes().empty());
}

TEST_F(StoredSettingsTest, ARefusedConversionWriteKeepsTheMinutesForTheNextLoad) {
    registry.PutDword(kDefaults, "Aantal minuten", 3);
    registry.PutDword(kDefaults, "Aantal seconden", 45);
    registry.PutDword(kDefaults, "Bovengrens", 700);
    registry.RefuseWrites();
    DialogSettings settings;
    EXPECT_EQ(ErrorText([&] { LoadDialogSettings(store, settings); }), "");
    EXPECT_EQ(settings.seconds, 180);
    EXPECT_EQ(settings.upperBound, 700);
    EXPECT_EQ(registry.GetDword(kDefaults, "Aantal minuten"), 3u);
    EXPECT_EQ(registry.GetDword(kDefaults, "Aantal seconden"), 45u);
}

TEST_F(StoredSettingsTest, AFailingDialogReadStopsTheLoadAfterTheValuesBeforeIt) {
    registry.PutString(kDefaults, "DownloadTimer Aan", "0");
    registry.PutDword(kDefaults, "Aantal seconden", 90);
    registry.PutString(kDefaults, "Alarm Aan", "0");
    registry.Put(kDefaults, "Bovengrens", platform::kRegBinary, "\x01\x02");
    registry.PutDword(kDefaults, "Ondergrens", 300);
    registry.PutString(kDefaults, "Geluid Aan", "0");

    DialogSettings settings;  // the values the controls held before
    settings.upperBound = 480;
    settings.lowerBound = 420;
    EXPECT_EQ(ErrorText([&] { LoadDialogSettings(store, settings); }), "Invalid data type for 'Bovengrens'");
    EXPECT_FALSE(settings.downloadOn);
    EXPECT_EQ(settings.seconds, 90);
    EXPECT_FALSE(settings.alarmOn);
    EXPECT_EQ(settings.upperBound, 480);
    EXPECT_EQ(settings.lowerBound, 420);
    EXPECT_TRUE(settings.soundOn);
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoredSettingsTest, ALegacyMinutesValueOfAnotherKindFailsTheLoad) {
    registry.Put(kDefaults, "Aantal minuten", kRegQword, std::string(8, '\x03'));
    EXPECT_EQ(ErrorText([&] { LoadDialogSettings(store); }), "Failed to get data for 'Aantal minuten'");
    EXPECT_TRUE(registry.Get(kDefaults, "Aantal minuten"));
}

TEST_F(StoredSettingsTest, ARefusedDialogWriteStopsTheSaveAfterTheValuesBeforeIt) {
    registry.RefuseWritesOf("Bovengrens");
    DialogSettings settings;
    settings.seconds = 120;
    EXPECT_EQ(ErrorText([&] { SaveDialogSettings(store, settings); }), "Failed to set data for 'Bovengrens'");
    EXPECT_EQ(ChangedNames(), (std::vector<std::string>{"DownloadTimer Aan", "Aantal seconden", "Alarm Aan"}));
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoredSettingsTest, ARefusedSectionStopsTheSaveAtItsFirstValue) {
    registry.RefuseKeyCreation();
    EXPECT_EQ(ErrorText([&] { SaveDialogSettings(store, DialogSettings{}); }), "Failed to create key Defaults");
    EXPECT_EQ(ErrorText([&] { SaveDialogPosition(store, 1, 2); }), "Failed to create key Defaults");
    EXPECT_TRUE(registry.Changes().empty());
}

}  // namespace
