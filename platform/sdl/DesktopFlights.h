// Flights on the desktop: the Flight menu (save, open, logbook), watching a
// flight in the window at 1x, 4x or 16x with pause, step and take-over, the
// player's clicks shown as brief marks over the picture, and the logbook
// entry written for every approach the player flies to its end.
//
// The marks and windows are ImGui drawing over the game picture; nothing is
// drawn into the game's surface.
#pragma once

#include <cstdint>

#include <imgui.h>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flightfile/FlightTaker.h"
#include "flightfile/Replayer.h"
#include "game/AveluneView.h"
#include "logbook/Logbook.h"
#include "platform/sdl/DesktopDebrief.h"
#include "platform/sdl/SdlHost.h"
#include "recorder/FlightRecorder.h"
#include "session/FlightSession.h"

class DesktopFlights {
public:
    // The flight session on `host`, its view made from `atlas`; `folder`
    // holds the logbook and the flights folder (empty: no logbook).
    DesktopFlights(SdlHost& host, std::unique_ptr<CDibImage> atlas, std::string folder, uint64_t atlasHash,
                   int flightsKept);
    ~DesktopFlights();

    // The player's mouse: to the game, unless a flight is being watched.
    void Input(flightfile::InputKind kind, int x, int y);
    // A timer tick fell due: the game runs it, or the flight being watched
    // moves on by its speed.
    void Tick();
    // The number of flight files kept, as the player set it.
    int flightsKept() const { return flightsKept_; }
    bool watching() const { return session_.Watching(); }
    CAveluneView& view() { return session_.view(); }

    // The Flight menu, inside the main menu bar; true while it is open.
    bool DrawMenu();
    // Whether a dialog or window of the flights is open (the watching panel
    // is not one: it stands beside the game).
    bool WindowOpen() const;
    void CloseLogbook() { logbookOpen_ = false; }
    void CloseDebrief() { debrief_.Close(); }
    bool WatchingPanelOpen() const { return session_.replayer() != nullptr; }
    // The keyboard in the watching panel (its buttons) or back in the game.
    void FocusWatchingPanel(bool focus) { watchFocusRequest_ = focus ? 1 : -1; }
    bool WatchingPanelFocused() const { return (watchKeyboard_ || watchFocusRequest_ > 0) && WatchingPanelOpen(); }
    // Closes the watching panel as its close box does.
    void CloseWatching() {
        if (session_.Watching()) {
            session_.CloseWatch();
        } else {
            session_.StopWatching();
        }
    }
    // A note for the menu bar ("Saved my-approach.avflight"), taken once.
    std::string TakeNote() { return std::exchange(saved_, std::string()); }
    // Between frames: bakes the font sizes the debrief asked for; true when
    // ImGui's font atlas changed.
    bool BakeFonts() { return debrief_.fonts().BakeWanted(); }
    // The dialogs, the watching controls, the logbook and the marks; the
    // picture's top-left corner and the size of a game pixel in ImGui units.
    void DrawWindows(float originX, float originY, float pixel);
    // Whether a window or a mark needs frames drawn.
    bool busy() const;

    // Opens a flight file to watch; false with a message shown when it cannot.
    bool Watch(const std::string& path);

    // The atlas file, for working out the debrief of a logbook entry.
    void SetAtlasPath(std::string path) { atlasPath_ = std::move(path); }
    // The menus' and dialogs' scale: places and sizes given in 1x units grow with it.
    void SetUiScale(float scale) {
        refit_ = refit_ || scale != uiScale_;
        uiScale_ = scale;
    }
    // Whether the latest approach arrived or failed, so it has a debrief.
    bool DebriefReady() const;
    // Opens the debrief of the latest approach that arrived or failed (the
    // Flight menu and Ctrl+D); nothing happens before there is one.
    void OpenDebrief();

private:
    void KeepInLogbook(const flightfile::Flight& flight, const recorder::Recording* r);
    // The best scored arrival of the logbook but its `leaveLast` last entries
    // and those from `before` on, replayed: the debrief's ghost.
    std::optional<recorder::Recording> BestGhost(std::optional<size_t> leaveLast, const logbook::Entry* before = nullptr);
    void Save(const std::string& path);
    void ShowError(std::string text);
    void DrawPathDialog();
    void DrawWatchWindow();
    void DrawLogbook();
    void DrawMarks(float originX, float originY, float pixel);
    void ReloadLogbook();

    session::FlightSession session_;
    std::string folder_;
    uint64_t atlasHash_;
    int flightsKept_;

    std::string watchedPath_;
    int speed_ = 1;
    bool paused_ = false;
    struct Mark {
        int x, y;
        bool press;
        uint64_t until;  // SDL ticks
    };
    std::vector<Mark> marks_;

    void ExportSamples(const std::string& path);
    void DebriefEntry(const logbook::Entry& entry);

    DesktopDebrief debrief_;
    std::string atlasPath_;

    enum class PathDialog { kNone, kSave, kOpen, kCsv };
    PathDialog dialog_ = PathDialog::kNone;
    bool dialogOpening_ = false;
    bool caretToEnd_ = false;  // the path field opens with the caret after its text
    std::optional<std::string> fieldText_;  // to put in the path field at its next edit
    int listIndex_ = -1;       // the saved flight chosen in Open flight's list
    bool listScroll_ = false;  // bring it into view
    static int FieldEdited(ImGuiInputTextCallbackData* data);
    char path_[1 << 18] = {};  // a file name, or a flight's link (a few kilobytes)
    // The flights folder as Open flight lists it, newest first.
    struct SavedFlight {
        std::string path;
        std::string when;     // the file's date and time
        std::string outcome;  // arrived, failed, left, flying; or why it cannot be read
        bool readable = false;
        double milesToGo = 0;  // from the threshold where it ended
    };
    std::vector<SavedFlight> savedFlights_;
    void ListSavedFlights();
    std::string error_;
    bool errorOpening_ = false;
    float uiScale_ = 1.0f;
    bool refit_ = false;          // the scale changed: the logbook takes its place and size anew
    bool watchKeyboard_ = false;  // the watching panel has the keyboard
    bool endFocused_ = false;     // the keyboard was put on Debrief at the watched flight's end
    int watchFocusRequest_ = 0;   // 1 give it the keyboard, -1 give it back, at the next frame
    bool logbookOpen_ = false;
    logbook::Contents logbook_;
    size_t flightFilesKept_ = 0;
    std::string saved_;  // the note of the last save  // in the flights folder when the logbook was read
};
