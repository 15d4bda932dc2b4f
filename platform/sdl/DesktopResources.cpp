#include "platform/sdl/DesktopResources.h"

#include <cctype>

std::string ResourceField(std::string_view text, int n) {
    for (int i = 0; i < n; ++i) {
        const auto nl = text.find('\n');
        if (nl == std::string_view::npos) return {};
        text.remove_prefix(nl + 1);
    }
    return std::string(text.substr(0, text.find('\n')));
}

Mnemonic ParseMnemonic(std::string_view label) {
    Mnemonic m;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) {
            ++i;
            // "&&" is a plain ampersand.
            if (label[i] != '&' && m.index < 0) {
                m.index = static_cast<int>(m.text.size());
                m.key = static_cast<char>(std::tolower(static_cast<unsigned char>(label[i])));
            }
        }
        m.text += label[i];
    }
    return m;
}

std::optional<Command> FindAccelerator(AccelKey key, unsigned modifiers) {
    for (const Accelerator& a : kAccelerators) {
        if (a.key == key && a.modifiers == modifiers) return a.command;
    }
    return std::nullopt;
}

int NeighbourMenu(int menu, int step) {
    const int count = static_cast<int>(kBarMenus.size());
    for (int i = 0; i < count; ++i) {
        if (kBarMenus[static_cast<size_t>(i)] == menu) return kBarMenus[static_cast<size_t>(((i + step) % count + count) % count)];
    }
    return -1;
}
