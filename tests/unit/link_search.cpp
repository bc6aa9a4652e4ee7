#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link_scripts.h"

namespace {

using linktest::AddDevice;
using linktest::AddSilentPorts;
using linktest::Rig;
using linktest::StoredText;
using linktest::StoreText;

const std::string kIdentification = std::string(1, kdm::STX) + linktest::kIdentification14;

TEST(LinkSearch, StoredThreeAndDeviceOnFiveTriesThreeOneTwoFourFive) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    rig.port.Feed(5, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
    rig.port.OnWrite(5, linktest::kStatusRequest, linktest::StatusReply("00"));
    StoreText(rig.store, "3");
    std::vector<int> observed;
    rig.link.SetSearchObserver([&](int n) { observed.push_back(n); });

    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.opened, (std::vector<int>{3, 1, 2, 4, 5}));
    EXPECT_EQ(observed, rig.port.opened);
    EXPECT_EQ(identification, kIdentification);
    EXPECT_EQ(StoredText(rig.store), "5");
    // The port stays open for the conversation that follows.
    EXPECT_TRUE(rig.link.IsPortOpen());
    EXPECT_EQ(rig.port.OpenPortNumber(), 5);
    // Each silent port costs exactly the start bound of one receive.
    for (int n : {3, 1, 2, 4})
        EXPECT_EQ(rig.port.readsOn[n], kdm::kStartReadLimit) << n;
}

TEST(LinkSearch, SearchOrderSkipsTheFirstTryInTheScan) {
    struct Case {
        const char* stored;  // nullptr: nothing stored
        std::vector<int> order;
    };
    const Case cases[] = {
        {nullptr, {1, 2, 3, 4, 5, 6, 7, 8, 9}},  // COM1 is tried once, not twice
        {"3", {3, 1, 2, 4, 5, 6, 7, 8, 9}},     {"1", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"8", {8, 1, 2, 3, 4, 5, 6, 7, 9}},     {"9", {9, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"12", {1, 2, 3, 4, 5, 6, 7, 8, 9}},    {"garbage", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        Rig rig;
        AddSilentPorts(rig.port, 1, 9);
        if (c.stored != nullptr) StoreText(rig.store, c.stored);
        std::string identification = "stale";
        EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice) << c.stored;
        EXPECT_EQ(rig.port.opened, c.order) << (c.stored ? c.stored : "none");
        EXPECT_TRUE(identification.empty());
        EXPECT_FALSE(rig.link.IsPortOpen());
        EXPECT_EQ(rig.port.closes, 9);
        // Nothing found, nothing rewritten.
        EXPECT_EQ(StoredText(rig.store), c.stored ? c.stored : "<none>");
    }
}

TEST(LinkSearch, DeviceOnComOneWithoutStoredValueIsOpenedOnce) {
    Rig rig;
    AddDevice(rig.port, 1);
    AddSilentPorts(rig.port, 2, 9);
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.openAttempts, (std::vector<std::string>{"COM1"}));
    EXPECT_EQ(StoredText(rig.store), "1");
    // The key the search creates is volatile.
    EXPECT_TRUE(rig.store.keys[std::string(kdm::kSearchKey)].isVolatile);
}

TEST(LinkSearch, NoPortOpensGivesMinusOneAfterTryingEachOnce) {
    for (const bool present : {false, true}) {
        Rig rig;
        // Ports that exist but are held by another program count as not openable.
        if (present) {
            for (int n = 1; n <= 9; ++n)
                rig.port.AddPort(n, false);
        }
        std::string identification;
        EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoPort);
        EXPECT_EQ(rig.port.openAttempts, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5",
                                                                   "COM6", "COM7", "COM8", "COM9"}));
        EXPECT_FALSE(rig.link.IsPortOpen());
        EXPECT_EQ(rig.port.reads, 0);
    }
}

TEST(LinkSearch, OneOpenablePortMakesTheResultZero) {
    Rig rig;
    rig.port.AddPort(7);
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice);
    EXPECT_EQ(rig.port.opened, std::vector<int>{7});
}

TEST(LinkSearch, StatusFailureOnFirstTryGivesMinusTwoAndRewritesTheStoredPort) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    rig.port.Feed(4, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));  // never answers 'F'
    StoreText(rig.store, "04");
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchStatusFailed);
    // No scan follows the first try's status failure.
    EXPECT_EQ(rig.port.opened, std::vector<int>{4});
    EXPECT_FALSE(rig.link.IsPortOpen());
    // Stored as soon as the device identified itself, in the "%d" form.
    EXPECT_EQ(StoredText(rig.store), "4");
    EXPECT_EQ(identification, kIdentification);
    // One identification receive, then 3 s of silence for the status reply.
    EXPECT_EQ(rig.port.readsOn[4], 16 + kdm::kStatusSilentReadLimit);
    ASSERT_EQ(rig.link.LastSearchAttempts().size(), 1u);
    EXPECT_EQ(rig.link.LastSearchAttempts()[0].errorNumber, kdm::kNoDeviceResponse);
}

TEST(LinkSearch, StatusFailureDuringTheScanGivesMinusTwoWithoutStoring) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    rig.port.Feed(3, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
    rig.port.OnWrite(3, linktest::kStatusRequest, linktest::StatusReply("07"));
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchStatusFailed);
    EXPECT_EQ(rig.port.opened, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(StoredText(rig.store), "<none>");
    EXPECT_FALSE(rig.link.IsPortOpen());
}

TEST(LinkSearch, PortWhoseFirstTelegramIsNotIdentificationCountsAsEmpty) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    // A status telegram first, the identification after it: only the first telegram is examined.
    rig.port.Feed(2, kdmtest::ScriptedPort::Frame(linktest::kStatusRequest));
    rig.port.Feed(2, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
    AddDevice(rig.port, 6);
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.opened, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(rig.port.readsOn[2], 16);
}

TEST(LinkSearch, PortRefusingLineSettingsIsClosedAndSkipped) {
    Rig rig;
    AddDevice(rig.port, 1);
    rig.port.FailLineSettings(1);
    AddDevice(rig.port, 2);
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.opened, (std::vector<int>{1, 2}));
    EXPECT_EQ(rig.port.readsOn[1], 0);
    EXPECT_EQ(StoredText(rig.store), "2");
}

TEST(LinkSearch, LineGoneOnAPortMovesOnWithoutWaiting) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    rig.port.FeedHangup(1);
    AddDevice(rig.port, 2);
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.readsOn[1], 1);
    EXPECT_EQ(rig.port.OpenPortNumber(), 2);
}

TEST(LinkSearch, StopEndsTheSearchAndClosesThePort) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    StoreText(rig.store, "5");
    rig.link.SetSearchObserver([&](int n) {
        if (n == 2) rig.link.RequestStop();
    });
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice);
    EXPECT_EQ(rig.port.opened, (std::vector<int>{5, 1, 2}));
    // The wait on port 2 ended before its first read; no further port was tried.
    EXPECT_EQ(rig.port.readsOn[2], 0);
    EXPECT_FALSE(rig.link.IsPortOpen());
    EXPECT_TRUE(rig.link.StopRequested());

    // A stopped link tries nothing until it is re-armed.
    rig.port.opened.clear();
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoPort);
    EXPECT_TRUE(rig.port.opened.empty());
    rig.link.ClearStop();
    rig.link.SetSearchObserver(nullptr);
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice);
    EXPECT_EQ(rig.port.opened.size(), 9u);
}

// The port chosen in the port dialog, kept the way the dialog keeps it.
void StoreDialogChoice(kdmtest::MemorySettingsStore& store, std::uint32_t n) {
    store.CreateKey(kdm::kPortDialogKey, true);
    store.WriteValue(kdm::kPortDialogKey, kdm::kPortDialogValueName, kdm::NumberValue(n));
}

std::vector<kdm::PortOutcome> OutcomesOf(const kdm::Link& link) {
    std::vector<kdm::PortOutcome> outcomes;
    for (const kdm::SearchAttempt& a : link.LastSearchAttempts())
        outcomes.push_back(a.outcome);
    return outcomes;
}

TEST(LinkSearchOrder, ThePortDialogsChoiceFirstThenTheStoredPortThenTheScan) {
    struct Case {
        std::uint32_t chosen;
        const char* stored;  // nullptr: nothing stored
        int device;
        std::vector<int> order;
        const char* storedAfter;
    };
    const Case cases[] = {
        {12, "3", 5, {12, 3, 1, 2, 4, 5}, "5"},
        {12, nullptr, 12, {12}, "<none>"},  // found on COM12, which the search's own value cannot hold
        {7, nullptr, 7, {7}, "7"},
        {4, "4", 2, {4, 1, 2}, "2"},  // the choice and the stored port are one port, tried once
        {1, nullptr, 3, {1, 2, 3}, "3"},
        {31, "6", 6, {6}, "6"},  // out of range: no choice
        {0, nullptr, 2, {1, 2}, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("chosen " + std::to_string(c.chosen) + ", device on COM" + std::to_string(c.device));
        Rig rig;
        AddSilentPorts(rig.port, 1, 30);
        rig.port.Feed(c.device, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
        rig.port.OnWrite(c.device, linktest::kStatusRequest, linktest::StatusReply("00"));
        if (c.stored != nullptr) StoreText(rig.store, c.stored);
        StoreDialogChoice(rig.store, c.chosen);
        std::string identification;
        EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
        EXPECT_EQ(rig.port.opened, c.order);
        EXPECT_EQ(StoredText(rig.store), c.storedAfter);
        // The dialog's value is the dialog's: the search never writes it.
        EXPECT_EQ(rig.link.LoadDialogPortNumber(), c.chosen <= 30 ? static_cast<int>(c.chosen) : 0);
        for (int n : c.order) {
            if (n != c.device) {
                EXPECT_EQ(rig.port.readsOn[n], kdm::kStartReadLimit) << n;
            }
        }
    }
}

TEST(LinkSearchOrder, AChosenPortThatCannotBeOpenedCostsNothing) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    rig.port.AddPort(12, false);  // held by another program
    AddDevice(rig.port, 1);
    StoreDialogChoice(rig.store, 12);
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.openAttempts, (std::vector<std::string>{"COM12", "COM1"}));
    EXPECT_EQ(rig.port.reads, rig.port.readsOn[1]);
}

TEST(LinkSearchOrder, TheScanFollowsTheGivenOrder) {
    struct Case {
        std::vector<int> scan;
        const char* stored;
        std::vector<int> order;
    };
    const Case cases[] = {
        {{4, 2, 1, 3}, nullptr, {4, 2, 1, 3}},  // the first port of the scan is the first try
        {{4, 2, 1, 3}, "2", {2, 4, 1, 3}},
        {{0, 5, 31, 5, -1, 2}, nullptr, {5, 2}},  // what is no port name, or said twice, counts once or not
        {{}, nullptr, {1}},                       // nothing to scan: the default first try only
        {{}, "6", {6}},
    };
    for (const Case& c : cases) {
        Rig rig;
        AddSilentPorts(rig.port, 1, 9);
        if (c.stored != nullptr) StoreText(rig.store, c.stored);
        rig.link.SetScanOrder([&c] { return c.scan; });
        std::string identification;
        EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice);
        EXPECT_EQ(rig.port.opened, c.order);
    }

    // The first try keeps its way of storing: at once, so a status failure leaves the port stored.
    Rig rig;
    AddSilentPorts(rig.port, 1, 9);
    rig.port.Feed(4, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
    rig.port.OnWrite(4, linktest::kStatusRequest, linktest::StatusReply("07"));
    rig.link.SetScanOrder([] { return std::vector<int>{4, 1}; });
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchStatusFailed);
    EXPECT_EQ(rig.port.opened, std::vector<int>{4});
    EXPECT_EQ(StoredText(rig.store), "4");
}

TEST(LinkSearchOrder, EachPortTriedSaysWhatBecameOfIt) {
    Rig rig;
    rig.port.AddPort(1, false);  // held elsewhere
    rig.port.AddPort(2);
    rig.port.FailLineSettings(2);
    rig.port.AddPort(3);  // silent
    rig.port.AddPort(4);
    rig.port.Feed(4, kdmtest::ScriptedPort::Frame(linktest::kStatusRequest));  // talks, but no 'g'
    rig.port.AddPort(5);
    rig.port.FeedHangup(5);
    rig.port.AddPort(6);
    rig.port.Feed(6, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
    rig.port.OnWrite(6, linktest::kStatusRequest, linktest::StatusReply("07"));
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchStatusFailed);
    using O = kdm::PortOutcome;
    EXPECT_EQ(OutcomesOf(rig.link), (std::vector<O>{O::kNotOpened, O::kNoLineSettings, O::kNoAnswer,
                                                    O::kNotIdentified, O::kLineGone, O::kStatusFailed}));
    const std::vector<kdm::SearchAttempt>& attempts = rig.link.LastSearchAttempts();
    EXPECT_EQ(attempts[2].portName, "COM3");
    EXPECT_EQ(attempts[5].errorNumber, 7);

    // The next search starts a new account.
    Rig found;
    AddSilentPorts(found.port, 1, 9);
    AddDevice(found.port, 2);
    EXPECT_EQ(found.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(OutcomesOf(found.link), (std::vector<O>{O::kNoAnswer, O::kFound}));
    found.link.ClosePort();
    found.port.Feed(2, kdmtest::ScriptedPort::Frame(linktest::kIdentification14));
    EXPECT_EQ(found.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(OutcomesOf(found.link), std::vector<O>{O::kFound});

    // A stop while waiting is no answer of the port's.
    Rig stopped;
    AddSilentPorts(stopped.port, 1, 9);
    stopped.port.FeedSilence(1, 5);
    stopped.link.SetSearchObserver([&](int) { stopped.link.RequestStop(); });
    EXPECT_EQ(stopped.link.SearchDevice(identification), kdm::kSearchNoDevice);
    EXPECT_EQ(OutcomesOf(stopped.link), std::vector<O>{O::kStopped});
}

TEST(LinkSearchOrder, ADirectPortIsTheOnlyOneTried) {
    Rig rig;
    AddSilentPorts(rig.port, 1, 30);
    AddDevice(rig.port, 12);
    AddDevice(rig.port, 1);
    StoreText(rig.store, "1");
    StoreDialogChoice(rig.store, 1);
    std::vector<int> observed;
    rig.link.SetSearchObserver([&](int n) { observed.push_back(n); });
    rig.link.SetDirectPort("COM12");
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.opened, std::vector<int>{12});
    EXPECT_EQ(observed, std::vector<int>{12});
    EXPECT_EQ(StoredText(rig.store), "1") << "a direct port is not remembered";
    rig.link.ClosePort();

    rig.port.opened.clear();
    rig.link.SetDirectPort("COM3");
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice);
    EXPECT_EQ(rig.port.opened, std::vector<int>{3});
    EXPECT_EQ(rig.port.readsOn[3], kdm::kStartReadLimit);

    rig.port.openAttempts.clear();
    observed.clear();
    rig.link.SetDirectPort("/dev/ttyUSB3");
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoPort);
    EXPECT_EQ(rig.port.openAttempts, std::vector<std::string>{"/dev/ttyUSB3"});
    EXPECT_EQ(observed, std::vector<int>{0});
    ASSERT_EQ(rig.link.LastSearchAttempts().size(), 1u);
    EXPECT_EQ(rig.link.LastSearchAttempts()[0].portName, "/dev/ttyUSB3");

    // Back to the usual search.
    rig.link.SetDirectPort("");
    rig.port.opened.clear();
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(rig.port.opened, std::vector<int>{1});
}

TEST(LinkSettings, LoadPortNumberAcceptsOneToNine) {
    struct Case {
        std::string stored;
        int number;
    };
    const Case cases[] = {
        {"1", 1},
        {"3", 3},
        {"7", 7},
        {"8", 8},
        {"9", 9},
        {"0", 0},
        {"10", 0},
        {"12", 0},
        {"-3", 0},
        {"", 0},
        {"x", 0},
        {"garbage", 0},
        {" 5", 5},
        {"5x", 5},
        {"00009", 9},
        {"000009", 0},  // longer than the five bytes the value may have
        {std::string("6\0"
                     "12",
                     4),
         6},
    };
    for (const Case& c : cases) {
        Rig rig;
        StoreText(rig.store, c.stored);
        EXPECT_EQ(rig.link.LoadPortNumber(), c.number) << c.stored;
    }
    Rig missingKey;
    EXPECT_EQ(missingKey.link.LoadPortNumber(), 0);
    Rig missingValue;
    missingValue.store.CreateKey(kdm::kSearchKey, false);
    EXPECT_EQ(missingValue.link.LoadPortNumber(), 0);
}

TEST(LinkSettings, StorePortNumberWritesDecimalTextAndKeepsAnExistingKey) {
    Rig rig;
    EXPECT_EQ(rig.link.StorePortNumber(7), 1);
    EXPECT_EQ(StoredText(rig.store), "7");
    EXPECT_TRUE(rig.store.keys[std::string(kdm::kSearchKey)].isVolatile);
    EXPECT_EQ(rig.link.LoadPortNumber(), 7);

    Rig lasting;
    lasting.store.CreateKey(kdm::kSearchKey, false);
    EXPECT_EQ(lasting.link.StorePortNumber(12), 1);
    EXPECT_EQ(StoredText(lasting.store), "12");
    EXPECT_FALSE(lasting.store.keys[std::string(kdm::kSearchKey)].isVolatile);

    Rig failing;
    failing.store.failWrites = true;
    EXPECT_EQ(failing.link.StorePortNumber(3), 0);
}

TEST(LinkSettings, SearchGoesOnWhenStoringFails) {
    Rig rig;
    AddDevice(rig.port, 1);
    rig.store.failWrites = true;
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    EXPECT_EQ(StoredText(rig.store), "<none>");
}

}  // namespace
