// Plain definitions of the memo's data rules, as references for tests and
// fuzzers. Qt-free and header-only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every byte as two upper-case digits, joined by single spaces.
inline std::string HexPairs(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        if (!hex.empty())
            hex += ' ';
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

// The binary import's text: lines of sixteen pairs, each pair followed by a
// blank, and a last line of the rest; every line ends with CR LF.
inline std::string HexLines(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text += HexPairs(bytes.substr(i, 1)) + ' ';
        if (i % 16 == 15)
            text += "\r\n";
    }
    return text + "\r\n";
}

// The bytes with every lone CR, lone LF and CR LF made a CR LF, as a memo
// holds them.
inline std::string WithMemoLineBreaks(std::string_view bytes) {
    std::string result;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            result += "\r\n";
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            result += bytes[i];
        }
    }
    return result;
}

// One character of the text view by its definition: the bytes the memo shows
// and the data bytes they stand for. A 00 shows as a full stop; a lone CR, a
// lone LF and a CR LF each as a CR LF; any other byte as itself.
struct ViewCell {
    std::string shown;
    std::string data;
};

inline std::vector<ViewCell> TextViewCells(std::string_view bytes) {
    std::vector<ViewCell> cells;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::string byte(1, bytes[i]);
        if (bytes[i] == '\0') {
            cells.push_back({".", byte});
        } else if (bytes.substr(i, 2) == "\r\n") {
            cells.push_back({"\r\n", "\r\n"});
            ++i;
        } else if (bytes[i] == '\r' || bytes[i] == '\n') {
            cells.push_back({"\r\n", byte});
        } else {
            cells.push_back({byte, byte});
        }
    }
    return cells;
}

// The memo text of cells and the byte offsets of the stand-ins in it: a full
// stop for 00, a line break's CR for a lone CR, its LF for a lone LF.
struct TextView {
    std::string text;
    std::vector<std::size_t> standIns;
    std::string data;
};

inline TextView TextViewOf(const std::vector<ViewCell>& cells) {
    TextView view;
    for (const ViewCell& cell : cells) {
        if (cell.shown != cell.data)
            view.standIns.push_back(view.text.size() + (cell.data == "\n" ? 1 : 0));
        view.text += cell.shown;
        view.data += cell.data;
    }
    return view;
}
