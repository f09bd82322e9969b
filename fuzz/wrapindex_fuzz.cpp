// The memo's wrap index, driven by edits, settling, width changes and row
// queries read from the input, against the rows of the whole text wrapped
// afresh by the plain rule (WrapModel.h).
//
// Every row holds the offset it was asked for and follows the row before;
// a row the index calls exact is a true row; once settled, every row is.
// Small budgets leave work pending, as a large text does.
#include "WrapIndex.h"
#include "WrapModel.h"
#include "memofuzz.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCapacity = std::size_t{1} << 13;

struct Session {
    Session(FuzzedDataProvider& input, std::string text)
        : advances(FakeAdvance),
          index(buffer, advances,
                {.edit = input.ConsumeIntegralInRange<std::uint64_t>(1, 4096),
                 .query = input.ConsumeIntegralInRange<std::uint64_t>(0, 8192),
                 .slack = input.ConsumeIntegralInRange<std::uint64_t>(0, 1024)}),
          model(std::move(text)) {
        buffer.Assign(model);
        index.Reset();
        Resize(input);
    }

    void Resize(FuzzedDataProvider& input) {
        geometry = {input.ConsumeIntegralInRange(1, 400) * kPixel, 48 * kPixel};
        index.SetGeometry(geometry);
        // The index keeps rows at least 16 pixels wide.
        geometry.width = std::max(geometry.width, 16 * kPixel);
        starts.clear();
    }

    void Edit(FuzzedDataProvider& input) {
        const CharEdit edit = CharEditFrom(input, model, kCapacity);
        buffer.Replace(edit.from, edit.to - edit.from, edit.inserted);
        model.replace(edit.from, edit.to - edit.from, edit.inserted);
        index.Edited({edit.from, edit.to - edit.from, edit.inserted.size()});
        starts.clear();
    }

    // The true row starts, wrapped afresh when the text or width has changed.
    const std::vector<std::uint64_t>& Starts() {
        if (starts.empty())
            starts = ModelRowStarts(model, geometry);
        return starts;
    }

    // The true row k, its end the next row's start or past the terminator.
    WrapIndex::Row ModelRow(std::size_t k) {
        return {k, Starts()[k], k + 1 < Starts().size() ? Starts()[k + 1] : model.size() + 1};
    }

    void CheckRow(const WrapIndex::Row& row) {
        Check(row.start < row.end && row.end <= model.size() + 1);
        Check(index.IsLast(row) == (row.end == model.size() + 1));
        if (!row.exact)
            return;
        const auto k = static_cast<std::size_t>(
            std::lower_bound(Starts().begin(), Starts().end(), row.start) - Starts().begin());
        Check(k < Starts().size() && Starts()[k] == row.start);
        Check(ModelRow(k).end == row.end);
    }

    void Query(FuzzedDataProvider& input) {
        WrapIndex::Row row{};
        if (input.ConsumeBool()) {
            const auto offset = input.ConsumeIntegralInRange<std::uint64_t>(0, model.size());
            row = index.RowContaining(offset);
            Check(row.start <= offset && offset < row.end);
        } else {
            row = index.RowAt(input.ConsumeIntegralInRange<std::uint64_t>(0, index.RowCount()));
        }
        CheckRow(row);
        for (int more = input.ConsumeIntegralInRange(0, 3); more > 0 && !index.IsLast(row);
             --more) {
            const WrapIndex::Row next = index.NextRow(row);
            Check(next.start == row.end && next.index == row.index + 1);
            CheckRow(next);
            row = next;
        }
    }

    void CheckSettled() {
        while (!index.Settle(std::uint64_t{1} << 20)) {
        }
        Check(index.RowCount() == Starts().size());
        WrapIndex::Row row = index.RowAt(0);
        for (std::size_t k = 0; k < Starts().size(); ++k) {
            Check(row == ModelRow(k) && row.exact);
            if (k + 1 < Starts().size())
                row = index.NextRow(row);
        }
        Check(index.IsLast(row));
    }

    TextBuffer buffer;
    Advances advances;
    WrapIndex index;
    std::string model;
    WrapGeometry geometry;
    std::vector<std::uint64_t> starts;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string text = MemoTextFrom(input, kCapacity);
    Session s(input, std::move(text));
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 6)) {
        case 0:
        case 1:
            s.Edit(input);
            break;
        case 2:
            s.index.Settle(input.ConsumeIntegralInRange<std::uint64_t>(0, 8192));
            break;
        case 3:
            s.Resize(input);
            break;
        case 4:
            s.CheckSettled();
            break;
        default:
            s.Query(input);
            break;
        }
    }
    s.CheckSettled();
    return 0;
}
