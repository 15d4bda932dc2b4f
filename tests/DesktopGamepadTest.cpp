// The gamepad path proved without a device: SDL's virtual joystick, seen as
// a game controller, drives the desktop's keys as a player's pad would.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/sdl/DesktopKeys.h"
#include "tests/TestAtlas.h"

namespace {

using keymap::Device;
using keymap::kControls;

struct Delivered {
    flightfile::InputKind kind;
    int x, y;
    bool operator==(const Delivered&) const = default;
};

class VirtualPad : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        keys_ = std::make_unique<DesktopKeys>(keymap::Keymap::Defaults());
        ASSERT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER), static_cast<Uint32>(SDL_INIT_GAMECONTROLLER)) << SDL_GetError();
        Plug();
    }
    void TearDown() override {
        if (joystick_) SDL_JoystickClose(joystick_);
        if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
        Drain();
        keys_.reset();
    }

    void Plug() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.name = "Avelune test pad";
        index_ = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index_, 0) << SDL_GetError();
        ASSERT_TRUE(SDL_IsGameController(index_)) << "the virtual pad is not seen as a game controller";
        joystick_ = SDL_JoystickOpen(index_);
        ASSERT_NE(joystick_, nullptr) << SDL_GetError();
        Drain();
    }
    void Unplug() {
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        SDL_JoystickDetachVirtual(index_);
        index_ = -1;
        Drain();
    }

    // The button goes down or up on the pad; the events reach the keys as
    // the desktop's loop hands them on.
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
        SDL_JoystickUpdate();
        Drain();
    }
    void Drain() {
        SDL_GameControllerUpdate();
        const DesktopKeys::Deliver deliver = [this](flightfile::InputKind kind, int x, int y) {
            delivered_.push_back({kind, x, y});
            if (session_) {
                if (kind == flightfile::InputKind::kPress) session_->Press(x, y);
                if (kind == flightfile::InputKind::kRelease) session_->Release(x, y);
            }
        };
        for (SDL_Event e; SDL_PollEvent(&e);) {
            switch (e.type) {
            case SDL_CONTROLLERDEVICEADDED: keys_->ControllerAdded(e.cdevice.which); break;
            case SDL_CONTROLLERDEVICEREMOVED: keys_->ControllerRemoved(e.cdevice.which, deliver); break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
                if (const auto name = MapButtonName(static_cast<SDL_GameControllerButton>(e.cbutton.button))) {
                    if (e.type == SDL_CONTROLLERBUTTONUP) {
                        keys_->Up(Device::kButton, *name, deliver);
                    } else {
                        keys_->Down(Device::kButton, *name, pressMode_, releaseMode_, deliver);
                    }
                }
                break;
            default: break;
            }
        }
    }

    std::unique_ptr<DesktopKeys> keys_;
    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
    uint32_t pressMode_ = kModeTitle, releaseMode_ = kModeTitle;
    std::vector<Delivered> delivered_;
    HeadlessSession* session_ = nullptr;
};

// Every default button presses and lets go at the centre of the control it
// stands for, screen by screen.
TEST_F(VirtualPad, EveryDefaultButtonGivesTheClickItStandsFor) {
    const keymap::Keymap map = keymap::Keymap::Defaults();
    int checked = 0;
    for (size_t i = 0; i < keymap::kControlCount; ++i) {
        for (const std::string& name : map.Bound(Device::kButton, i)) {
            SDL_GameControllerButton button = SDL_CONTROLLER_BUTTON_INVALID;
            for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
                const auto mapped = MapButtonName(static_cast<SDL_GameControllerButton>(b));
                if (mapped && *mapped == name) button = static_cast<SDL_GameControllerButton>(b);
            }
            ASSERT_NE(button, SDL_CONTROLLER_BUTTON_INVALID) << name << " has no SDL button";
            pressMode_ = releaseMode_ = kControls[i].mode;
            delivered_.clear();
            Button(button, true);
            Button(button, true);  // held: no second press
            Button(button, false);
            const keymap::Point at = keymap::Centre(kControls[i]);
            const std::vector<Delivered> click = {{flightfile::InputKind::kPress, at.x, at.y},
                                                  {flightfile::InputKind::kRelease, at.x, at.y}};
            EXPECT_EQ(delivered_, click) << name << " for " << kControls[i].name;
            ++checked;
        }
    }
    EXPECT_GE(checked, 15);
}

// Pulled out mid-flight with a button held, the pad lets the button go; the
// flight flies on, and the pad plugged in again plays at once.
TEST_F(VirtualPad, PluggingAndUnpluggingInFlightKeepsTheFlight) {
    auto session = MakeTestSession();
    session_ = session.get();
    session->Tick(3);
    pressMode_ = releaseMode_ = kModeTitle;
    Button(SDL_CONTROLLER_BUTTON_A, true);  // START
    Button(SDL_CONTROLLER_BUTTON_A, false);
    session->Tick(6);
    ASSERT_EQ(session->view().pressMode, kModeCockpit);
    pressMode_ = releaseMode_ = kModeCockpit;
    const int16_t pitch = session->view().pitch;
    Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);  // nose down, held
    EXPECT_EQ(session->view().pitch, pitch - 1);
    delivered_.clear();
    Unplug();
    ASSERT_EQ(delivered_.size(), 1u) << "the held button comes up when the pad goes";
    EXPECT_EQ(delivered_[0].kind, flightfile::InputKind::kRelease);
    session->Tick(30);
    EXPECT_TRUE(session->host().timerRunning());
    EXPECT_FALSE(session->host().quitRequested());
    Plug();
    Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    EXPECT_EQ(session->view().pitch, pitch - 2);
    session->Tick(3);
    const flightfile::Flight* flight = session->flights().ToSave();
    ASSERT_NE(flight, nullptr);
    EXPECT_EQ(flight->inputs.size(), 4u) << "two presses and their releases after the start";
    session_ = nullptr;
}

}  // namespace

#endif  // AVELUNE_HAS_DESKTOP
