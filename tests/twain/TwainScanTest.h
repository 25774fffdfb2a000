// Fixture of the tests that drive the installed source through Wine's
// source manager against the scan server simulator: a fresh application
// with the source open, the simulator's scenario and the source's
// settings file set per test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ServerPage.h"
#include "SimJobState.h"
#include "SourceSettingsFile.h"
#include "TwainTestClient.h"

class CTwainScanTest : public ::testing::Test {
protected:
    // How long a scan start or a close may take to reach the application.
    static constexpr DWORD kSourceMessageTimeoutMs = 20000;

    void SetUp() override;
    void TearDown() override;

    // Replaces the simulator's scenario (no options: a well-behaved server).
    static void Scenario(const std::vector<std::string> &args);
    // Writes the source's settings file for the next scan start.
    void Configure(const SScanSetup &setup, int port = 0);
    // Scan start with these settings and the transfers; remembers the job's session.
    SAcquisition Scan(const SScanSetup &setup, const SAcquireOptions &options);
    // The simulator's job of the last scan.
    CSimJobState Job() const;
    // The commands the source sent, heartbeats left out.
    static std::vector<std::string> Commands();
    // Every page of the scan arrived whole, as the simulator sent it, by the
    // mechanism used; each page is then handed to inspect, if given.
    void ExpectPagesAsSent(
        const SAcquisition &scan, EXferMech mech, size_t pages,
        const std::function<void(const CServerPage &, const STransferredPage &)> &inspect = {});
    // Disable, close the source and the manager, each accepted.
    void ExpectClosesCleanly();

    std::unique_ptr<CTwainTestClient> m_client;
    int m_session = 0;
};
