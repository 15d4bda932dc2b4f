// avelune --headless: the game without a window, driven by a file of events.
//
// Each event is one line; the game runs exactly as a player's would, with the
// 100 ms timer advanced only by `tick` events, so a replay is repeatable to
// the last pixel.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "debrief/Assessment.h"
#include "debrief/DebriefPlot.h"
#include "platform/cairo/CairoDebrief.h"
#include "platform/common/AtlasFiles.h"
#include "files/Files.h"
#include "files/ReplaceFile.h"
#include "recorder/FlightCsv.h"
#include "platform/headless/EventScript.h"
#include "flightfile/FlightFile.h"
#include "platform/common/ShareLink.h"
#include "platform/headless/HeadlessSession.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the atlas or a screenshot could not be used
constexpr int kExitUsage = 2;    // a bad command line, event line or flight file
constexpr int kExitDiverged = 3; // the replay did not end in the flight's state

constexpr const char* kHelp =
    "Usage: avelune --headless [--atlas FILE] [--events FILE|-] [--screenshot FILE.png]\n"
    "                          [--replay FILE.avflight] [--save-flight FILE.avflight]\n"
    "                          [--debrief FILE.png|FILE.svg] [--flight-csv FILE.csv]\n"
    "                          [--debrief-json FILE.json] [--ghost FILE.avflight]\n"
    "\n"
    "Runs the game without a window. The view is created as a player's would be,\n"
    "with its 100 ms timer running; nothing happens until the events say so.\n"
    "\n"
    "  --atlas FILE        the sprite atlas (default: prop.bmp in the working\n"
    "                      directory, else the one beside the program)\n"
    "  --events FILE|-     events to play, one a line ('-' reads standard input)\n"
    "  --screenshot FILE   write the final window picture (632 x 440) as PNG\n"
    "  --replay FILE       before the events, replay a flight file and check it\n"
    "                      tick by tick; the events then fly on from its end\n"
    "  --save-flight FILE  at the end, save the latest approach that ended (else\n"
    "                      the one in flight) as a flight file\n"
    "  --debrief FILE      at the end, draw the debrief of that approach (its\n"
    "                      profile, plan and airspeed against distance, with the\n"
    "                      limits and a summary) as PNG, or SVG for a .svg name\n"
    "  --flight-csv FILE   at the end, write that approach's samples as CSV\n"
    "  --debrief-json FILE at the end, write that approach's debrief summary (outcome,\n"
    "                      score, grade, gates, advice, worst values) as JSON\n"
    "  --ghost FILE        draw the approach of this flight file faintly in the\n"
    "                      debrief, and compare the score with it\n"
    "  --help              show this text\n"
    "\n"
    "Events ('#' starts a comment):\n"
    "  tick [N]            N timer periods of 100 ms pass (default 1); each one\n"
    "                      runs one game tick if the timer is running then\n"
    "  press X Y           left button pressed at window pixel (X, Y)\n"
    "  release X Y         left button released at (X, Y)\n"
    "  move X Y            the mouse moved to (X, Y)\n"
    "  state               print the flight state as one JSON line\n"
    "  screenshot FILE     write the window picture now as PNG\n"
    "\n"
    "A line ends at LF, CR LF or CR; it holds at most 4096 bytes and no control\n"
    "bytes other than tabs. Once the game asks to quit the remaining events are\n"
    "skipped.\n"
    "Exit status: 0 done, 1 the atlas, a screenshot, a flight save, the debrief or\n"
    "the samples failed, 2 bad arguments, events or flight file, 3 the replay went\n"
    "its own way (the message names the first tick that differed).\n";

struct Options {
    std::string atlas;
    std::string events;
    std::string screenshot;
    std::string replay;
    std::string saveFlight;
    std::string debrief;
    std::string flightCsv;
    std::string debriefJson;
    std::string ghost;
};

enum class Outcome { Next, Quit, Error };

// Plays one parsed event.
Outcome PlayEvent(HeadlessSession& session, const Event& event) {
    switch (event.kind) {
    case Event::Kind::None: break;
    case Event::Kind::Tick:
        // Stop at a quit request: no later period may run a tick. Once the
        // timer has stopped no period can run one, so the rest pass at once.
        for (int i = 0; i < event.count && !session.host().quitRequested() && session.host().timerRunning(); ++i)
            session.Tick(1);
        break;
    case Event::Kind::Press: session.Press(event.x, event.y); break;
    case Event::Kind::Release: session.Release(event.x, event.y); break;
    case Event::Kind::Move: session.Move(event.x, event.y); break;
    case Event::Kind::Key: session.Key(event.file); break;
    case Event::Kind::KeyDown: session.KeyDown(event.file); break;
    case Event::Kind::KeyUp: session.KeyUp(event.file); break;
    case Event::Kind::State: std::cout << session.StateJson() << '\n' << std::flush; break;
    case Event::Kind::Screenshot: {
        std::string error;
        if (!session.host().WriteScreenshot(event.file, error)) {
            std::fprintf(stderr, "avelune: %s\n", error.c_str());
            return Outcome::Error;
        }
        break;
    }
    }
    return session.host().quitRequested() ? Outcome::Quit : Outcome::Next;
}

bool CheckFlightAtlas(const std::string& path, const flightfile::Flight& flight, const std::string& atlasPath,
                      uint64_t atlasHash) {
    if (flight.atlasHash != atlasHash) {
        std::fprintf(stderr,
                     "avelune: %s line %d: the flight was flown with another atlas (fnv1a64:%016llx); "
                     "%s is fnv1a64:%016llx\n",
                     path.c_str(), flight.atlasLine, static_cast<unsigned long long>(flight.atlasHash),
                     atlasPath.c_str(), static_cast<unsigned long long>(atlasHash));
        return false;
    }
    if (flight.gameVersion != flightfile::GameVersion()) {
        std::fprintf(stderr, "avelune: note: %s was saved by version %s; this is version %s\n", path.c_str(),
                     files::Quote(flight.gameVersion).c_str(), flightfile::GameVersion());
    }
    return true;
}

int ReplayFlight(HeadlessSession& session, const std::string& path, flightfile::Flight flight) {
    const uint32_t ticks = flight.ticks;
    const char* ending = flightfile::EndingName(flight.ending);
    flightfile::Replayer replayer(std::move(flight));
    if (session.Replay(replayer) == flightfile::Replayer::Status::kMatched) {
        std::printf("replay %s: matched, %u ticks, %s\n", path.c_str(), ticks, ending);
        std::fflush(stdout);
        return kExitOk;
    }
    std::fprintf(stderr, "avelune: %s: the replay diverges at tick %u of %u: %s\n", path.c_str(),
                 replayer.divergedTick(), ticks, replayer.divergence().c_str());
    return kExitDiverged;
}

bool SaveLatestFlight(HeadlessSession& session, const std::string& path) {
    const flightfile::Flight* flight = session.flights().ToSave();
    if (flight == nullptr) {
        std::fprintf(stderr, "avelune: no approach was flown, so there is no flight to save to %s\n", path.c_str());
        return false;
    }
    std::string error;
    if (!flightfile::SaveFlight(path, *flight, error)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return false;
    }
    return true;
}

// The latest approach that ended, else the one in flight, for the debrief
// and the samples.
const recorder::Recording* LatestRecording(HeadlessSession& session, const char* what, const std::string& path) {
    const recorder::Recording* r = session.recorder().Latest();
    if (r == nullptr)
        std::fprintf(stderr, "avelune: no approach was flown, so there is no %s to write to %s\n", what, path.c_str());
    return r;
}

bool WriteDebriefFile(HeadlessSession& session, const std::string& path, const recorder::Recording* ghost) {
    const recorder::Recording* r = LatestRecording(session, "debrief", path);
    if (r == nullptr) return false;
    std::string error;
    const bool written = cairo_debrief::WriteDebrief(debrief::BuildDebrief(*r, ghost), path, error);
    cairo_debrief::ReleaseFonts();  // the program draws no more
    if (!written) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool WriteDebriefJson(HeadlessSession& session, const std::string& path) {
    const recorder::Recording* r = LatestRecording(session, "debrief summary", path);
    if (r == nullptr) return false;
    const std::string json = debrief::FormatJson(*r, debrief::Assess(*r));
    std::string reason;
    if (!ReplaceFile(path, json.data(), json.size(), reason)) {
        std::fprintf(stderr, "avelune: cannot write the debrief summary %s: %s\n", path.c_str(), reason.c_str());
        return false;
    }
    return true;
}

// The approach a flight file holds, replayed out of sight, for the ghost.
int RecordGhost(const std::string& path, const std::string& atlasPath, uint64_t atlasHash, recorder::Recording& out) {
    std::string error;
    flightfile::Flight flight;
    if (!flightfile::LoadFlight(path, flight, error)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return kExitUsage;
    }
    if (!CheckFlightAtlas(path, flight, atlasPath, atlasHash)) return kExitUsage;
    std::unique_ptr<CDibImage> atlas = LoadAtlas(atlasPath, error);
    if (!atlas) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return kExitFailure;
    }
    HeadlessSession ghost(std::move(atlas));
    flightfile::Replayer replayer(std::move(flight));
    if (ghost.Replay(replayer) != flightfile::Replayer::Status::kMatched) {
        std::fprintf(stderr, "avelune: %s: the ghost's replay diverges at tick %u: %s\n", path.c_str(),
                     replayer.divergedTick(), replayer.divergence().c_str());
        return kExitDiverged;
    }
    const recorder::Recording* r = ghost.recorder().Latest();
    if (r == nullptr) {
        std::fprintf(stderr, "avelune: %s holds no approach to draw as the ghost\n", path.c_str());
        return kExitUsage;
    }
    out = *r;
    return kExitOk;
}

bool WriteFlightCsv(HeadlessSession& session, const std::string& path) {
    const recorder::Recording* r = LatestRecording(session, "flight samples", path);
    if (r == nullptr) return false;
    const std::string csv = recorder::FormatCsv(*r);
    std::string reason;
    if (!ReplaceFile(path, csv.data(), csv.size(), reason)) {
        std::fprintf(stderr, "avelune: cannot write the flight samples %s: %s\n", path.c_str(), reason.c_str());
        return false;
    }
    return true;
}

}  // namespace

int RunShareLink(int argc, char** argv) {
    // avelune --share-link FILE.avflight [--page-url URL]: the link that
    // watches the flight on the web page.
    std::string file, page = AVELUNE_PAGE_URL;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--share-link" || arg == "--page-url") && i + 1 < argc) {
            (arg == "--share-link" ? file : page) = argv[++i];
        } else if (arg != "--headless") {
            std::fprintf(stderr, "avelune: usage: avelune --share-link FILE.avflight [--page-url URL]\n");
            return kExitUsage;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "avelune: --share-link needs a flight file\n");
        return kExitUsage;
    }
    // Only a sound flight file is worth a link.
    flightfile::Flight flight;
    std::string error, text;
    if (!flightfile::LoadFlight(file, flight, error)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return kExitUsage;
    }
    std::printf("%s\n", MakeShareLink(flightfile::FormatFlight(flight), page).c_str());
    return kExitOk;
}

int RunHeadless(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "avelune: %s needs a value\n%s", arg.c_str(), kHelp);
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--headless") continue;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        }
        if (arg == "--atlas" || arg == "--events" || arg == "--screenshot") {
            std::string& out = arg == "--atlas" ? options.atlas : arg == "--events" ? options.events : options.screenshot;
            if (!value(out)) return kExitUsage;
            continue;
        }
        if (arg == "--replay" || arg == "--save-flight") {
            if (!value(arg == "--replay" ? options.replay : options.saveFlight)) return kExitUsage;
            continue;
        }
        if (arg == "--debrief" || arg == "--flight-csv") {
            if (!value(arg == "--debrief" ? options.debrief : options.flightCsv)) return kExitUsage;
            continue;
        }
        if (arg == "--debrief-json" || arg == "--ghost") {
            if (!value(arg == "--ghost" ? options.ghost : options.debriefJson)) return kExitUsage;
            continue;
        }
        std::fprintf(stderr, "avelune: unknown argument '%s'\n%s", arg.c_str(), kHelp);
        return kExitUsage;
    }

    // The events are opened before the atlas is read, so that a bad name
    // costs nothing; a named pipe may be waited on, as a player means it.
    const std::string eventsName = options.events == "-" ? "events" : options.events;
    int eventsFd = -1;
    if (options.events == "-") {
        eventsFd = STDIN_FILENO;
    } else if (!options.events.empty()) {
        eventsFd = ::open(options.events.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st{};
        if (eventsFd < 0) {
            std::fprintf(stderr, "avelune: cannot open the events file %s: %s\n", options.events.c_str(),
                         std::strerror(errno));
            return kExitUsage;
        }
        if (::fstat(eventsFd, &st) == 0 && S_ISDIR(st.st_mode)) {
            std::fprintf(stderr, "avelune: the events file %s is a directory\n", options.events.c_str());
            ::close(eventsFd);
            return kExitUsage;
        }
    }
    struct CloseEvents {
        int fd;
        ~CloseEvents() {
            if (fd > STDIN_FILENO) ::close(fd);
        }
    } closeEvents{eventsFd};

    const std::string atlasPath = options.atlas.empty() ? FindAtlas(argc > 0 ? argv[0] : nullptr) : options.atlas;
    std::string error;
    std::unique_ptr<CDibImage> atlas = LoadAtlas(atlasPath, error);
    if (!atlas) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return kExitFailure;
    }

    uint64_t atlasHash = 0;
    if (!flightfile::HashFile(atlasPath, atlasHash, error)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return kExitFailure;
    }
    flightfile::Flight flight;
    if (!options.replay.empty()) {
        if (!flightfile::LoadFlight(options.replay, flight, error)) {
            std::fprintf(stderr, "avelune: %s\n", error.c_str());
            return kExitUsage;
        }
        if (!CheckFlightAtlas(options.replay, flight, atlasPath, atlasHash)) return kExitUsage;
    }

    recorder::Recording ghost;
    if (!options.ghost.empty()) {
        const int ghostStatus = RecordGhost(options.ghost, atlasPath, atlasHash, ghost);
        if (ghostStatus != kExitOk) return ghostStatus;
    }

    int status = kExitOk;
    {
        HeadlessSession session(std::move(atlas));
        session.flights().SetAtlasHash(atlasHash);
        if (!options.replay.empty()) {
            status = ReplayFlight(session, options.replay, std::move(flight));
            if (status != kExitOk) return status;
        }
        if (eventsFd >= 0) {
            EventLineReader reader = EventLineReader::ForDescriptor(eventsFd);
            std::string line;
            for (long lineNumber = 1;; ++lineNumber) {
                const EventLineReader::Status read = reader.Next(line);
                if (read == EventLineReader::Status::End) break;
                if (read == EventLineReader::Status::ReadError) {
                    std::fprintf(stderr, "avelune: cannot read the %s: %s\n",
                                 options.events == "-" ? "events on standard input"
                                                       : ("events file " + options.events).c_str(),
                                 reader.error().c_str());
                    return kExitUsage;
                }
                Event event;
                std::string why;
                if (read == EventLineReader::Status::TooLong) {
                    why = "longer than " + std::to_string(kMaxEventLine) + " bytes: " + QuoteForMessage(line);
                } else if (!ParseEventLine(line, event, why)) {
                    // why says it
                } else {
                    const Outcome outcome = PlayEvent(session, event);
                    if (outcome == Outcome::Error) return kExitFailure;
                    if (outcome == Outcome::Quit) break;  // the program ends: the rest is never played
                    continue;
                }
                std::fprintf(stderr, "avelune: %s line %ld: %s\n", eventsName.c_str(), lineNumber, why.c_str());
                return kExitUsage;
            }
        }
        if (!options.screenshot.empty() && !session.host().WriteScreenshot(options.screenshot, error)) {
            std::fprintf(stderr, "avelune: %s\n", error.c_str());
            status = kExitFailure;
        }
        if (!options.saveFlight.empty() && !SaveLatestFlight(session, options.saveFlight) && status == kExitOk) {
            status = kExitFailure;
        }
        if (!options.debrief.empty() &&
            !WriteDebriefFile(session, options.debrief, options.ghost.empty() ? nullptr : &ghost))
            status = kExitFailure;
        if (!options.debriefJson.empty() && !WriteDebriefJson(session, options.debriefJson)) status = kExitFailure;
        if (!options.flightCsv.empty() && !WriteFlightCsv(session, options.flightCsv)) status = kExitFailure;
    }
    return status;
}
