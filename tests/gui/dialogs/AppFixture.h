#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ScriptedPortService.h"
#include "app/Quorlin.h"
#include "app/RecentFileStore.h"
#include "platform/EventLoop.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

// An application object on doubles: settings in memory, scripted MIDI devices, a
// manual event loop and a recording prompter. The application is not started, so
// no frame or bank window exists.
class AppFixture : public ::testing::Test {
  protected:
    // Builds the application over in_service (owned by it from then on).
    void MakeApp(std::unique_ptr<MidiService> in_service) {
        AppServices services;
        auto settings = std::make_unique<platform::MemorySettingsStore>();
        m_Settings = settings.get();
        services.settings = std::move(settings);
        services.midi = std::move(in_service);
        auto loop = std::make_unique<platform::ManualEventLoop>();
        m_Loop = loop.get();
        services.loop = std::move(loop);
        services.prompter = &m_Prompter;
        services.recentFiles = std::make_unique<MemoryRecentFileStore>();
        m_App = std::make_unique<CQuorlinApp>(std::move(services));
    }
    ScriptedPortService& MakeAppWithPorts() {
        auto service = std::make_unique<ScriptedPortService>();
        ScriptedPortService& ports = *service;
        MakeApp(std::move(service));
        return ports;
    }
    void TearDown() override { m_App.reset(); }

    platform::RecordingPrompter m_Prompter;
    platform::ScopedPrompter m_Scope{m_Prompter};
    platform::MemorySettingsStore* m_Settings = nullptr;
    platform::ManualEventLoop* m_Loop = nullptr;
    std::unique_ptr<CQuorlinApp> m_App;
};
