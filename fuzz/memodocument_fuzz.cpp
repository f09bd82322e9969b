// The memo's text buffer and undo history, driven by edits, undos and redos
// read from the input, against a plain string.
//
// After every step the buffer holds the string and answers every question
// about it as reading the string from its start does; its chunks end only at
// stable boundaries. Each change it reports turns the text before into the
// text after. An undo goes back to a text the string had after an earlier
// edit, and a redo forward to the one it came from.
#include "MemoDocument.h"
#include "memofuzz.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCapacity = std::size_t{1} << 14;

// Counted over the whole text at once, where the buffer adds up its chunks.
std::uint64_t Units(std::string_view bytes) {
    return memocodec::CountMemoUnits(bytes);
}

void CheckBuffer(const TextBuffer& buffer, const std::string& model, FuzzedDataProvider& input) {
    Check(buffer.Size() == model.size());
    Check(buffer.Text() == model);
    Check(buffer.Units() == Units(model));
    const auto breaks = [&model](std::size_t end) {
        return static_cast<std::uint64_t>(std::count(model.begin(), model.begin() + end, '\n'));
    };
    Check(buffer.LineBreaks() == breaks(model.size()));
    const std::vector<std::size_t> at = MemoBoundaries(model);
    std::size_t chunkEnd = 0;
    for (const std::size_t size : buffer.ChunkSizes()) {
        chunkEnd += size;
        Check(TextBuffer::StableBoundary(model, chunkEnd));
        Check(std::binary_search(at.begin(), at.end(), chunkEnd));
    }
    Check(chunkEnd == model.size());

    for (int probe = input.ConsumeIntegralInRange(0, 3); probe > 0; --probe) {
        const std::size_t offset = input.ConsumeIntegralInRange<std::size_t>(0, model.size());
        const std::size_t k = static_cast<std::size_t>(
            std::upper_bound(at.begin(), at.end(), offset) - at.begin() - 1);
        Check(buffer.CharStart(offset) == at[k]);
        const std::size_t b = at[k];
        Check(buffer.NextChar(b) == at[std::min(k + 1, at.size() - 1)]);
        Check(buffer.PreviousChar(b) == at[k > 0 ? k - 1 : 0]);
        const std::uint64_t units = Units(std::string_view(model).substr(0, b));
        Check(buffer.UnitsBefore(b) == units);
        Check(buffer.OffsetOfUnit(units) == b);
        Check(buffer.BreaksBefore(b) == breaks(b));
        Check(buffer.OffsetOfTextPosition(units + breaks(b)) == b);
        const std::size_t lf = b == 0 ? std::string::npos : model.rfind('\n', b - 1);
        Check(buffer.LineStart(b) == (lf == std::string::npos ? 0 : lf + 1));
        const std::size_t cr = model.find('\r', b);
        Check(buffer.LineEnd(b) == (cr == std::string::npos ? model.size() : cr));
        const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 9000);
        Check(buffer.Copy(b, length) == model.substr(b, length));
    }
}

// The text as it changes, followed through the changes a document reports.
struct Follower {
    std::string text;
    const MemoDocument* doc;
    void operator()(const TextChange& change, std::string_view removed) {
        Check(change.offset + change.removed <= text.size());
        Check(text.compare(change.offset, change.removed, removed) == 0);
        text.replace(change.offset, change.removed, doc->Text().Copy(change.offset, change.added));
    }
};

struct Session {
    MemoDocument doc;
    std::string model;
    // The texts after each edit since the last reset, and the one now shown.
    std::vector<std::string> states;
    std::size_t now = 0;
    // Where undos came from, the latest last.
    std::vector<std::size_t> undone;

    void Reset(std::string text) {
        doc.Reset(text);
        model = std::move(text);
        states = {model};
        now = 0;
        undone.clear();
    }

    void Edit(FuzzedDataProvider& input) {
        static const MemoDocument::Command kCommands[] = {MemoDocument::Command::Typing,
                                                          MemoDocument::Command::Deleting,
                                                          MemoDocument::Command::Other};
        const MemoDocument::Command command = input.PickValueInArray(kCommands);
        CharEdit edit = CharEditFrom(input, model, kCapacity);
        if (command == MemoDocument::Command::Deleting)
            edit.inserted.clear();
        Follower follow{model, &doc};
        const TextChange change = doc.Edit(command, edit.from, edit.to - edit.from, edit.inserted,
                                           input.ConsumeBool(), std::ref(follow));
        Check(change == TextChange{edit.from, edit.to - edit.from, edit.inserted.size()});
        if (change.removed == 0 && change.added == 0)
            return;
        model.replace(edit.from, edit.to - edit.from, edit.inserted);
        Check(follow.text == model);
        states.resize(now + 1);
        states.push_back(model);
        now = states.size() - 1;
        undone.clear();
    }

    void Undo() {
        const bool could = doc.CanUndo();
        Check(could == (now > 0));
        Follower follow{model, &doc};
        const MemoDocument::Replay replay = doc.Undo(std::ref(follow));
        model = doc.Text().Text();
        Check(follow.text == model);
        if (!could) {
            Check(replay.changes.empty() && model == states[now]);
            return;
        }
        Check(!replay.changes.empty() && replay.cursor <= model.size());
        std::size_t back = now;
        while (back > 0 && states[--back] != model) {
        }
        Check(states[back] == model);
        undone.push_back(now);
        now = doc.CanUndo() ? back : 0;
        Check(states[now] == model);
    }

    void Redo() {
        Check(doc.CanRedo() == !undone.empty());
        Follower follow{model, &doc};
        const MemoDocument::Replay replay = doc.Redo(std::ref(follow));
        model = doc.Text().Text();
        Check(follow.text == model);
        if (undone.empty()) {
            Check(replay.changes.empty() && model == states[now]);
            return;
        }
        Check(!replay.changes.empty() && replay.cursor <= model.size());
        now = undone.back();
        undone.pop_back();
        Check(model == states[now]);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Session s;
    s.Reset(MemoTextFrom(input, kCapacity));
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0:
        case 1:
        case 2:
            s.Edit(input);
            break;
        case 3:
            s.Undo();
            break;
        case 4:
            s.Redo();
            break;
        default:
            CheckBuffer(s.doc.Text(), s.model, input);
            break;
        }
        Check(s.doc.Text().Size() == s.model.size());
    }
    CheckBuffer(s.doc.Text(), s.model, input);
    while (s.doc.CanUndo())
        s.Undo();
    Check(s.model == s.states.front());
    while (s.doc.CanRedo())
        s.Redo();
    Check(s.model == s.states.back());
    return 0;
}
