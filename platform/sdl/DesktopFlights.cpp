#include "platform/sdl/DesktopFlights.h"

#include "platform/sdl/DesktopLayout.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "game/Limits.h"
#include "platform/common/ReplaceFile.h"
#include "platform/common/ShareLink.h"
#include "recorder/FlightCsv.h"

namespace {

constexpr uint64_t kMarkMs = 600;  // how long a click's mark shows
constexpr int kSpeeds[] = {1, 4, 16};

// Window titles in white on the dark title bar (popped right after the Begin).
void TitleText() { ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 255, 255, 255)); }

}  // namespace

DesktopFlights::DesktopFlights(SdlHost& host, std::unique_ptr<CDibImage> atlas, std::string folder,
                               uint64_t atlasHash, int flightsKept)
    : session_(host, std::move(atlas)), folder_(std::move(folder)), atlasHash_(atlasHash), flightsKept_(flightsKept) {
    session_.flights().SetAtlasHash(atlasHash);
    session_.OnApproachEnded(
        [this](const flightfile::Flight& flight, const recorder::Recording* r) { KeepInLogbook(flight, r); });
    // The watched flight's clicks flash as rings over the picture.
    session_.OnReplayedInput([this](const flightfile::Input& in) {
        if (in.kind != flightfile::InputKind::kMove) {
            marks_.push_back({in.x, in.y, in.kind == flightfile::InputKind::kPress, SDL_GetTicks64() + kMarkMs});
        }
    });
}

DesktopFlights::~DesktopFlights() = default;

void DesktopFlights::Input(flightfile::InputKind kind, int x, int y) { session_.Input(kind, x, y); }

void DesktopFlights::KeepInLogbook(const flightfile::Flight& flight, const recorder::Recording* r) {
    if (folder_.empty()) return;
    // The recorder's figures are the entry's margins and verdict, the
    // debrief's its score.
    logbook::Figures figures;
    if (r != nullptr) figures = session::LogbookFigures(*r);
    std::string error;
    if (!logbook::RecordApproach(folder_, flight, logbook::NowText(), flightsKept_, error,
                                 r != nullptr ? &figures : nullptr)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        ShowError("The approach could not be kept in the logbook: " + error);
    }
    if (logbookOpen_) ReloadLogbook();
}

void DesktopFlights::Tick() {
    if (!session_.Watching()) {
        session_.Tick();
        return;
    }
    if (paused_) return;
    for (int i = 0; i < speed_ && session_.Watching(); ++i) session_.Step();
}

bool DesktopFlights::Watch(const std::string& path) {
    flightfile::Flight flight;
    std::string error;
    if (IsShareLink(path)) {
        // A link the page made: its flight, read as a file's text is.
        std::string text;
        if (!ReadShareLink(path, text, error) || !flightfile::ParseFlight(text, "the shared flight", flight, error)) {
            ShowError("The link cannot be watched: " + error);
            return false;
        }
    } else if (!flightfile::LoadFlight(path, flight, error)) {
        ShowError(error);
        return false;
    }
    if (flight.atlasHash != atlasHash_) {
        char text[160];
        std::snprintf(text, sizeof text, " line %d: the flight was flown with another atlas (fnv1a64:%016" PRIx64 ")",
                      flight.atlasLine, flight.atlasHash);
        ShowError(path + text);
        return false;
    }
    watchedPath_ = IsShareLink(path) ? "a shared flight" : path;
    paused_ = false;
    session_.Watch(std::move(flight));
    return true;
}

bool DesktopFlights::DebriefReady() const {
    const recorder::Recording* r = session_.recorder().latestEnded();
    return r != nullptr && (r->summary.outcome == recorder::Outcome::kArrived ||
                            r->summary.outcome == recorder::Outcome::kFailed);
}

void DesktopFlights::OpenDebrief() {
    if (!DebriefReady()) return;
    const recorder::Recording& r = *session_.recorder().latestEnded();
    // A flown approach is the logbook's last entry: its ghost is from before it.
    const std::optional<recorder::Recording> ghost = BestGhost(r.flown() ? std::optional<size_t>(1) : std::nullopt);
    debrief_.Open(r, r.flown() ? "Debrief of the latest approach" : "Debrief of the watched flight",
                  ghost ? &*ghost : nullptr);
}

std::optional<recorder::Recording> DesktopFlights::BestGhost(std::optional<size_t> leaveLast,
                                                            const logbook::Entry* before) {
    // The best scored earlier arrival of the logbook, replayed out of sight,
    // drawn faintly behind the approach debriefed.
    if (folder_.empty() || atlasPath_.empty()) return std::nullopt;
    logbook::Contents contents;
    std::string error;
    if (!logbook::ReadLogbook(logbook::LogbookPath(folder_), contents, error)) return std::nullopt;
    if (leaveLast) contents.entries.resize(contents.entries.size() - std::min(*leaveLast, contents.entries.size()));
    if (before != nullptr) {
        const auto at = std::find(contents.entries.begin(), contents.entries.end(), *before);
        contents.entries.erase(at, contents.entries.end());
    }
    const int best = logbook::BestScoredEntry(contents.entries);
    if (best < 0) return std::nullopt;
    const std::string path =
        (std::filesystem::path(logbook::FlightsFolder(folder_)) / contents.entries[static_cast<size_t>(best)].flight)
            .string();
    flightfile::Flight flight;
    recorder::Recording ghost;
    if (!flightfile::LoadFlight(path, flight, error) || flight.atlasHash != atlasHash_ ||
        !RecordFlight(flight, atlasPath_, ghost, error)) {
        return std::nullopt;  // its file is gone or of another atlas: no ghost
    }
    return ghost;
}

void DesktopFlights::ExportSamples(const std::string& path) {
    const recorder::Recording* r = session_.recorder().Latest();
    if (r == nullptr) {
        ShowError("No approach has been flown yet, so there are no samples to export.");
        return;
    }
    const std::string csv = recorder::FormatCsv(*r);
    std::string reason;
    if (!ReplaceFile(path, csv.data(), csv.size(), reason)) ShowError("Cannot write the samples " + path + ": " + reason);
}

void DesktopFlights::DebriefEntry(const logbook::Entry& entry) {
    const std::string path = (std::filesystem::path(logbook::FlightsFolder(folder_)) / entry.flight).string();
    flightfile::Flight flight;
    std::string error;
    if (!flightfile::LoadFlight(path, flight, error)) {
        ShowError(error);
        return;
    }
    recorder::Recording r;
    if (atlasPath_.empty() || flight.atlasHash != atlasHash_) {
        ShowError(path + ": the flight was flown with another atlas, so it cannot be replayed for its debrief.");
        return;
    }
    if (!RecordFlight(flight, atlasPath_, r, error)) {
        ShowError(path + ": " + error);
        return;
    }
    std::string when = entry.when;
    std::replace(when.begin(), when.end(), 'T', ' ');
    const std::optional<recorder::Recording> ghost = BestGhost(std::nullopt, &entry);
    debrief_.Open(r, "Debrief of " + when, ghost ? &*ghost : nullptr);
}

void DesktopFlights::Save(const std::string& path) {
    const flightfile::Flight* flight = session_.flights().ToSave();
    std::string error;
    if (flight == nullptr) {
        ShowError("No approach has been flown yet, so there is no flight to save.");
    } else if (!flightfile::SaveFlight(path, *flight, error)) {
        ShowError(error);
    } else {
        saved_ = "Saved " + std::filesystem::path(path).filename().string();
    }
}

void DesktopFlights::ShowError(std::string text) {
    error_ = std::move(text);
    errorOpening_ = true;
}

void DesktopFlights::ReloadLogbook() {
    std::string error;
    if (!logbook::ReadLogbook(logbook::LogbookPath(folder_), logbook_, error)) logbook_.notes = {error};
    flightFilesKept_ = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(logbook::FlightsFolder(folder_), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().extension() == flightfile::kExtension) ++flightFilesKept_;
    }
    for (const std::string& note : logbook_.notes) std::fprintf(stderr, "avelune: %s\n", note.c_str());
}

bool DesktopFlights::WindowOpen() const {
    return dialog_ != PathDialog::kNone || errorOpening_ || !error_.empty() || logbookOpen_ || debrief_.open() ||
           WatchingPanelFocused();
}

bool DesktopFlights::busy() const {
    return session_.replayer() != nullptr || dialog_ != PathDialog::kNone || errorOpening_ || !error_.empty() ||
           logbookOpen_ || !marks_.empty() || debrief_.open();
}

bool DesktopFlights::DrawMenu() {
    if (!ImGui::BeginMenu("Flight")) return false;
    const std::string folder = folder_.empty() ? std::string(".") : logbook::FlightsFolder(folder_);
    auto startDialog = [&](PathDialog which, const char* name) {
        dialog_ = which;
        dialogOpening_ = true;
        caretToEnd_ = true;
        std::snprintf(path_, sizeof path_, "%s/%s", folder.c_str(), name);
        listIndex_ = -1;
        if (which == PathDialog::kOpen) {
            ListSavedFlights();
            if (!savedFlights_.empty()) {
                listIndex_ = 0;
                std::snprintf(path_, sizeof path_, "%s", savedFlights_.front().path.c_str());
            }
        }
    };
    if (ImGui::MenuItem("Save flight...")) startDialog(PathDialog::kSave, "my-approach.avflight");
    if (ImGui::MenuItem("Open flight...")) startDialog(PathDialog::kOpen, "");
    if (ImGui::MenuItem("Logbook...", nullptr, false, !folder_.empty())) {
        logbookOpen_ = true;
        ReloadLogbook();
    }
    ImGui::Separator();
    if (ImGui::MenuItem("Debrief...", "Ctrl+D", false, DebriefReady())) OpenDebrief();
    if (ImGui::MenuItem("Export samples (CSV)...", nullptr, false, session_.recorder().Latest() != nullptr))
        startDialog(PathDialog::kCsv, "approach.csv");
    ImGui::EndMenu();
    return true;
}

int DesktopFlights::FieldEdited(ImGuiInputTextCallbackData* data) {
    auto& self = *static_cast<DesktopFlights*>(data->UserData);
    if (data->EventFlag == ImGuiInputTextFlags_CallbackHistory && !self.savedFlights_.empty()) {
        const int last = static_cast<int>(self.savedFlights_.size()) - 1;
        const int step = data->EventKey == ImGuiKey_UpArrow ? -1 : 1;
        self.listIndex_ = std::clamp(self.listIndex_ + step, 0, last);
        self.fieldText_ = self.savedFlights_[static_cast<size_t>(self.listIndex_)].path;
        self.listScroll_ = true;
    }
    // Text put in from outside (a row chosen) replaces what the field holds;
    // the caret goes after the text whenever the field is filled anew, so
    // what is typed lands at the end, never where it was last.
    if (self.fieldText_) {
        data->DeleteChars(0, data->BufTextLen);
        data->InsertChars(0, self.fieldText_->c_str());
        self.fieldText_.reset();
        self.caretToEnd_ = true;
    }
    if (self.caretToEnd_) {
        data->CursorPos = data->SelectionStart = data->SelectionEnd = data->BufTextLen;
        self.caretToEnd_ = false;
    }
    return 0;
}

void DesktopFlights::ListSavedFlights() {
    namespace fs = std::filesystem;
    savedFlights_.clear();
    if (folder_.empty()) return;
    std::error_code ec;
    struct Found {
        fs::path path;
        fs::file_time_type time;
    };
    std::vector<Found> found;
    for (fs::directory_iterator it(logbook::FlightsFolder(folder_), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e;
        if (it->path().extension() != flightfile::kExtension || !it->is_regular_file(e)) continue;
        found.push_back({it->path(), it->last_write_time(e)});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.time > b.time; });
    // The newest few hundred are plenty to choose from; each is read whole.
    constexpr size_t kListed = 300;
    if (found.size() > kListed) found.resize(kListed);
    for (const Found& f : found) {
        SavedFlight listed;
        listed.path = f.path.string();
        const auto system = std::chrono::file_clock::to_sys(f.time);
        const std::time_t t = std::chrono::system_clock::to_time_t(system);
        std::tm local{};
        localtime_r(&t, &local);
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
        listed.when = when;
        flightfile::Flight flight;
        std::string error;
        if (flightfile::LoadFlight(listed.path, flight, error)) {
            listed.outcome = flightfile::EndingName(flight.ending);
            listed.readable = true;
            listed.milesToGo = std::max(0.0, flight.endDistance / double{limits::kFeetPerMile});
        } else {
            listed.outcome = "cannot be read";
        }
        savedFlights_.push_back(std::move(listed));
    }
}

void DesktopFlights::DrawPathDialog() {
    if (dialog_ == PathDialog::kNone) return;
    const char* title = dialog_ == PathDialog::kSave  ? "Save flight###path"
                        : dialog_ == PathDialog::kCsv ? "Export samples (CSV)###path"
                                                      : "Open flight###path";
    if (dialogOpening_) {
        ImGui::OpenPopup("###path");
        dialogOpening_ = false;
    }
    const float em = ImGui::GetFontSize();
    ImGui::SetNextWindowSize(ImVec2(em * 44, 0), ImGuiCond_Appearing);
    TitleText();
    const bool dialogOpen = ImGui::BeginPopupModal(title, nullptr, ImGuiWindowFlags_NoResize);
    ImGui::PopStyleColor();
    if (dialogOpen) {
        bool open = false;
        if (dialog_ == PathDialog::kOpen) {
            // The flights the program kept, newest first; a double click opens one.
            ImGui::TextUnformatted(savedFlights_.empty() ? "No saved flights in the flights folder yet."
                                                         : "Saved flights, newest first:");
            if (!savedFlights_.empty() &&
                ImGui::BeginTable("saved", 4, ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY | ImGuiTableFlags_BordersOuter |
                                                  ImGuiTableFlags_SizingFixedFit,
                                  ImVec2(0, em * 12))) {
                ImGui::TableSetupScrollFreeze(0, 1);
                ImGui::TableSetupColumn("Date");
                ImGui::TableSetupColumn("Outcome");
                ImGui::TableSetupColumn("Left to fly");
                ImGui::TableSetupColumn("File", ImGuiTableColumnFlags_WidthStretch);
                ImGui::TableHeadersRow();
                for (size_t i = 0; i < savedFlights_.size(); ++i) {
                    const SavedFlight& f = savedFlights_[i];
                    ImGui::TableNextRow();
                    ImGui::TableNextColumn();
                    const bool selected = static_cast<int>(i) == listIndex_;
                    ImGui::PushID(static_cast<int>(i));
                    if (ImGui::Selectable(f.when.c_str(), selected,
                                          ImGuiSelectableFlags_SpanAllColumns | ImGuiSelectableFlags_AllowDoubleClick)) {
                        listIndex_ = static_cast<int>(i);
                        std::snprintf(path_, sizeof path_, "%s", f.path.c_str());
                        fieldText_ = f.path;
                        if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) open = true;  // a double click opens it
                    }
                    if (selected && listScroll_) {
                        ImGui::SetScrollHereY();
                        listScroll_ = false;
                    }
                    ImGui::PopID();
                    ImGui::TableNextColumn();
                    ImGui::TextUnformatted(f.outcome.c_str());
                    ImGui::TableNextColumn();
                    if (f.readable) {
                        ImGui::Text("%.1f mi", f.milesToGo);
                    } else {
                        ImGui::TextUnformatted("-");
                    }
                    ImGui::TableNextColumn();
                    ImGui::TextUnformatted(std::filesystem::path(f.path).filename().string().c_str());
                }
                ImGui::EndTable();
            }
            ImGui::TextUnformatted("Or a file name:");
        } else {
            ImGui::TextUnformatted("File name:");
        }
        ImGui::SetNextItemWidth(-1);
        // The keyboard starts in the file name (which holds the newest saved
        // flight when there is one: Return watches it); Up and Down there go
        // through the list.
        if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
        const bool enter = ImGui::InputText(
            "##file", path_, sizeof path_,
            ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_CallbackAlways | ImGuiInputTextFlags_CallbackHistory,
            &DesktopFlights::FieldEdited, this);
        const bool ok = ImGui::Button(dialog_ == PathDialog::kOpen ? "Open" : "Save", ImVec2(em * 6, 0)) || enter || open;
        ImGui::SameLine();
        const bool cancel = ImGui::Button("Cancel", ImVec2(em * 6, 0));
        if (ok || cancel) {
            const PathDialog which = dialog_;
            dialog_ = PathDialog::kNone;
            ImGui::CloseCurrentPopup();
            if (ok && which == PathDialog::kSave) Save(path_);
            if (ok && which == PathDialog::kOpen) Watch(path_);
            if (ok && which == PathDialog::kCsv) ExportSamples(path_);
        }
        ImGui::EndPopup();
    } else {
        dialog_ = PathDialog::kNone;  // closed by Escape
    }
}

void DesktopFlights::DrawWatchWindow() {
    const flightfile::Replayer* replayer = session_.replayer();
    if (replayer == nullptr) {
        watchKeyboard_ = false;
        watchFocusRequest_ = 0;
        return;
    }
    ImGui::SetNextWindowPos(ImVec2(8 * uiScale_, 40 * uiScale_), ImGuiCond_Appearing);
    ImGui::SetNextWindowBgAlpha(0.85f);
    const bool focusing = watchFocusRequest_ > 0;
    if (focusing) ImGui::SetNextWindowFocus();
    if (watchFocusRequest_ < 0) {
        ImGui::SetWindowFocus(nullptr);
        watchKeyboard_ = false;
    }
    if (focusing) watchKeyboard_ = true;
    watchFocusRequest_ = 0;
    bool open = true, takeOver = false;
    TitleText();
    const bool shown = ImGui::Begin(watchKeyboard_ ? "Watching (F6: game)###watch" : "Watching###watch", &open,
                                    ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoCollapse);
    ImGui::PopStyleColor();
    // A click elsewhere takes the keyboard away from it too.
    if (watchKeyboard_ && !focusing && !ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows)) {
        watchKeyboard_ = false;
    }
    if (shown) {
        const flightfile::Flight& f = replayer->flight();
        ImGui::Text("%s", std::filesystem::path(watchedPath_).filename().string().c_str());
        using Status = flightfile::Replayer::Status;
        const Status status = replayer->status();
        const bool takenOver = !session_.Watching() && status != Status::kMatched && status != Status::kDiverged;
        if (takenOver) {
            // The file's count stopped there, and its ending is not the player's.
            ImGui::Text("taken over at tick %u of %u", replayer->tick(), f.ticks);
        } else {
            ImGui::Text("tick %u of %u  (%s)", replayer->tick(), f.ticks, flightfile::EndingName(f.ending));
        }
        if (session_.Watching()) {
            endFocused_ = false;
            for (const int s : kSpeeds) {
                char label[8];
                std::snprintf(label, sizeof label, "%dx", s);
                if (ImGui::RadioButton(label, speed_ == s)) speed_ = s;
                ImGui::SameLine();
            }
            // One id whatever it says, so the keyboard stays on it.
            // As wide as the wider of its two words, so the buttons after it
            // never move under the pointer when it changes.
            const ImGuiStyle& style = ImGui::GetStyle();
            const float pauseWidth =
                std::max(ImGui::CalcTextSize("Pause").x, ImGui::CalcTextSize("Play").x) + 2 * style.FramePadding.x;
            if (ImGui::Button(paused_ ? "Play###pause" : "Pause###pause", ImVec2(pauseWidth, 0))) paused_ = !paused_;
            ImGui::SameLine();
            if (ImGui::Button("Step")) {
                paused_ = true;
                session_.Step();
            }
            ImGui::SameLine();
            if (ImGui::Button("Take over")) takeOver = true;
        } else if (status == Status::kMatched) {
            ImGui::TextUnformatted("The flight replayed to its end.");
            if (DebriefReady() && session_.recorder().latestEnded()->replayed) {
                if (ImGui::Button("Debrief")) OpenDebrief();
                // The buttons the keyboard was on went with the end: it
                // goes to Debrief, once.
                if (watchKeyboard_ && !endFocused_) {
                    ImGui::SetFocusID(ImGui::GetItemID(), ImGui::GetCurrentWindow());
                    GImGui->NavDisableHighlight = false;
                }
                endFocused_ = true;
            }
        } else if (status == Status::kDiverged) {
            ImGui::Text("It went its own way at tick %u:", replayer->divergedTick());
            ImGui::TextWrapped("%s", replayer->divergence().c_str());
        } else if (const recorder::Recording* ended = session_.recorder().latestEnded();
                   session_.recorder().current() == nullptr && ended != nullptr && ended->takenOver) {
            // The approach taken over has ended; the panel says so, not "flying".
            ImGui::Text("Taken over, then %s.", recorder::OutcomeName(ended->summary.outcome));
            if (DebriefReady() && ImGui::Button("Debrief")) OpenDebrief();
        } else {
            ImGui::TextUnformatted("Taken over: you are flying.");
        }
    }
    ImGui::End();
    if (takeOver) {
        // The game is the player's from here, and so are the keys.
        watchKeyboard_ = false;
        session_.TakeOver();
    } else if (!open) {
        watchKeyboard_ = false;
        CloseWatching();
    }
}

void DesktopFlights::DrawLogbook() {
    if (!logbookOpen_) return;
    const float em = ImGui::GetFontSize();
    // As wide as its columns want, but never wider than the window.
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const DialogBox box =
        FitDialog({em * 2, em * 3, em * 58, em * 20}, display.x, display.y, ImGui::GetFrameHeight(), 8 * uiScale_);
    const ImGuiCond when = refit_ ? ImGuiCond_Always : ImGuiCond_Appearing;
    refit_ = false;
    ImGui::SetNextWindowSize(ImVec2(box.width, box.height), when);
    ImGui::SetNextWindowPos(ImVec2(box.x, box.y), when);
    TitleText();
    const bool shown = ImGui::Begin("Logbook###logbook", &logbookOpen_, ImGuiWindowFlags_NoCollapse);
    ImGui::PopStyleColor();
    if (shown) {
        const std::vector<logbook::Entry>& entries = logbook_.entries;
        const int best = logbook::BestEntry(entries);
        ImGui::Text("%zu %s, %zu flight %s kept. Keep the newest", entries.size(),
                    entries.size() == 1 ? "approach" : "approaches", flightFilesKept_,
                    flightFilesKept_ == 1 ? "file" : "files");
        ImGui::SameLine();
        ImGui::SetNextItemWidth(em * 7);
        if (ImGui::InputInt("##kept", &flightsKept_)) flightsKept_ = std::clamp(flightsKept_, 1, 100000);
        ImGui::SameLine();
        ImGui::TextUnformatted("flight files.");
        if (ImGui::BeginTable("entries", 8,
                              ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY | ImGuiTableFlags_ScrollX |
                                  ImGuiTableFlags_BordersInnerV | ImGuiTableFlags_SizingFixedFit,
                              ImVec2(0, -ImGui::GetFrameHeightWithSpacing() * (logbook_.notes.empty() ? 0.2f : 2.2f)))) {
            // Columns as wide as what they hold, measured anew in every frame
            // with the font of the moment: a width kept from another scale
            // (as a resizable column keeps its first) cuts the text off.
            // The buttons first, where a narrow window never hides them.
            ImGui::TableSetupScrollFreeze(0, 1);
            ImGui::TableSetupColumn("##watch");
            ImGui::TableSetupColumn("##debrief");
            ImGui::TableSetupColumn("When");
            ImGui::TableSetupColumn("Outcome");
            ImGui::TableSetupColumn("Time");
            ImGui::TableSetupColumn("Score");
            ImGui::TableSetupColumn("Margins\nmph/needle/G/S");  // two lines: the cells are narrower than the heading
            ImGui::TableSetupColumn("Verdict");
            ImGui::TableHeadersRow();
            for (int i = static_cast<int>(entries.size()) - 1; i >= 0; --i) {
                const logbook::Entry& e = entries[static_cast<size_t>(i)];
                ImGui::PushID(i);
                ImGui::TableNextRow();
                ImGui::TableNextColumn();
                // Whole buttons: a small one's frame runs through its letters.
                const bool watch = ImGui::Button("Watch");
                ImGui::TableNextColumn();
                if (ImGui::Button("Debrief")) DebriefEntry(e);
                const logbook::EntryCells cells = logbook::CellsOf(e, i == best);
                for (const std::string* cell : {&cells.when, &cells.outcome, &cells.time, &cells.score, &cells.margins,
                                                &cells.verdict}) {
                    ImGui::TableNextColumn();
                    ImGui::TextUnformatted(cell->c_str());
                }
                if (watch) {
                    logbookOpen_ = false;
                    Watch((std::filesystem::path(logbook::FlightsFolder(folder_)) / e.flight).string());
                }
                ImGui::PopID();
            }
            ImGui::EndTable();
        }
        if (!logbook_.notes.empty()) {
            ImGui::TextColored(ImVec4(0.8f, 0.2f, 0.1f, 1), "%zu %s skipped (kept in the file):", logbook_.notes.size(),
                               logbook_.notes.size() == 1 ? "line" : "lines");
            ImGui::TextWrapped("%s", logbook_.notes.front().c_str());
        }
    }
    ImGui::End();
}

void DesktopFlights::DrawMarks(float originX, float originY, float pixel) {
    const uint64_t now = SDL_GetTicks64();
    marks_.erase(std::remove_if(marks_.begin(), marks_.end(), [&](const Mark& m) { return m.until <= now; }),
                 marks_.end());
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    for (const Mark& m : marks_) {
        const float left = static_cast<float>(m.until - now) / static_cast<float>(kMarkMs);
        const ImVec2 at(originX + (static_cast<float>(m.x) + 0.5f) * pixel, originY + (static_cast<float>(m.y) + 0.5f) * pixel);
        const ImU32 colour = m.press ? IM_COL32(255, 220, 0, static_cast<int>(255 * left))
                                     : IM_COL32(0, 220, 255, static_cast<int>(255 * left));
        draw->AddCircle(at, (m.press ? 6.0f : 10.0f) * std::max(pixel, 1.0f) * 0.6f, colour, 20, 2.0f);
    }
}

void DesktopFlights::DrawWindows(float originX, float originY, float pixel) {
    DrawMarks(originX, originY, pixel);
    DrawWatchWindow();
    DrawLogbook();
    debrief_.Draw(originY, uiScale_);
    DrawPathDialog();
    if (errorOpening_) {
        ImGui::OpenPopup("Avelune###flighterror");
        errorOpening_ = false;
    }
    ImGui::SetNextWindowSize(ImVec2(420 * uiScale_, 0), ImGuiCond_Appearing);
    TitleText();
    const bool errorShown = ImGui::BeginPopupModal("Avelune###flighterror", nullptr, ImGuiWindowFlags_NoResize);
    ImGui::PopStyleColor();
    if (errorShown) {
        ImGui::TextWrapped("%s", error_.c_str());
        // Return (which reaches ImGui as Space) or Space closes it, as OK
        // does; not the press that made it (a dialog's button chosen by key).
        if (ImGui::Button("OK", ImVec2(ImGui::GetFontSize() * 6, 0)) ||
            (!ImGui::IsWindowAppearing() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Space)))) {
            error_.clear();
            ImGui::CloseCurrentPopup();
        }
        ImGui::EndPopup();
    } else if (!errorOpening_) {
        error_.clear();  // closed by Escape
    }
}
