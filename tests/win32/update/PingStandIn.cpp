// A stand-in for the system's ping that prints the layouts of the Windows ping, which Wine's own
// ping does not (its third line is always empty). The environment variable QUODO_PING_LAYOUT
// chooses one of kLayouts (nl-reply when unset), or "hang": a ping that prints its first line and
// never ends. The first argument is the host; the options after it (-n 1 -w 100) are ignored. The
// exit code is 0 after a reply and 1 otherwise, as ping's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Layout {
    const char* name;
    bool dutch;
    const char* reply;  // the third line; none: the host is unknown
    bool replied;
};

const Layout kLayouts[] = {
    {"nl-reply", true, "Antwoord van 127.0.0.1: bytes=32 tijd=12ms TTL=57", true},
    {"nl-reply-fast", true, "Antwoord van 127.0.0.1: bytes=32 tijd<1ms TTL=57", true},
    {"nl-timeout", true, "Time-out bij aanvraag.", false},
    {"en-reply", false, "Reply from 127.0.0.1: bytes=32 time=12ms TTL=57", true},
    {"en-timeout", false, "Request timed out.", false},
    {"nl-unknown-host", true, nullptr, false},
    {"en-unknown-host", false, nullptr, false},
};

int Print(const Layout& layout, const char* host) {
    if (!layout.reply) {
        std::printf(layout.dutch
                        ? "Ping-aanvraag kan host %s niet vinden. Controleer de naam en probeer het opnieuw.\n"
                        : "Ping request could not find host %s. Please check the name and try again.\n",
                    host);
        return 1;
    }
    std::printf(layout.dutch ? "\nPingen naar %s [127.0.0.1] met 32 bytes aan gegevens:\n%s\n\n"
                             : "\nPinging %s [127.0.0.1] with 32 bytes of data:\n%s\n\n",
                host, layout.reply);
    const int received = layout.replied ? 1 : 0;
    std::printf(layout.dutch ? "Ping-statistieken voor 127.0.0.1:\n    Pakketten: verzonden = 1, ontvangen = %d, "
                               "verloren = %d\n"
                             : "Ping statistics for 127.0.0.1:\n    Packets: Sent = 1, Received = %d, Lost = %d\n",
                received, 1 - received);
    return layout.replied ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const char* chosen = std::getenv("QUODO_PING_LAYOUT");
    const std::string name = chosen && *chosen ? chosen : "nl-reply";
    if (name == "hang") {
        std::printf("\nPingen naar %s [127.0.0.1] met 32 bytes aan gegevens:\n", argc > 1 ? argv[1] : "");
        std::fflush(stdout);
        Sleep(INFINITE);
    }
    for (const Layout& layout : kLayouts)
        if (name == layout.name) return Print(layout, argc > 1 ? argv[1] : "");
    std::fprintf(stderr, "ping stand-in: unknown layout %s\n", name.c_str());
    return 2;
}
