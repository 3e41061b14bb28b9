#include "ui/controls/packed_cells.h"

#include <cstring>
#include <utility>

namespace {

quint32 ReadWord(const QByteArray& blob, int wordIndex) {
    quint32 value;
    std::memcpy(&value, blob.constData() + wordIndex * sizeof(quint32), sizeof value);
    return value;
}

void WriteWord(char* place, quint32 value) {
    std::memcpy(place, &value, sizeof value);
}

}  // namespace

// Word 0 is the count, word 1 + i the end of cell i within the bytes that follow the words.
int PackedCells::Count() const {
    return blob_.isEmpty() ? 0 : static_cast<int>(ReadWord(blob_, 0));
}

QByteArray PackedCells::Cell(int index) const {
    int count = Count();
    if (index < 0 || index >= count) return QByteArray();
    qsizetype data = (1 + count) * qsizetype(sizeof(quint32));
    quint32 start = index == 0 ? 0 : ReadWord(blob_, index);
    quint32 end = ReadWord(blob_, 1 + index);
    return QByteArray(blob_.constData() + data + start, end - start);
}

void PackedCells::SetCell(int index, const QByteArray& text) {
    if (index < 0) return;
    if (index >= Count() && text.isEmpty()) return;  // reads as empty already
    Rebuild(qMax(Count(), index + 1), index, &text, false);
}

void PackedCells::InsertEmptyCell(int index) {
    if (index < 0 || index >= Count()) return;  // nothing stored from there on
    Rebuild(Count() + 1, index, nullptr, true);
}

// Writes the blob anew with count cells: cell `changed` takes *text (or is a new empty cell when
// inserting), the others keep their bytes.
void PackedCells::Rebuild(int count, int changed, const QByteArray* text, bool insert) {
    int oldCount = Count();
    qsizetype oldData = (1 + oldCount) * qsizetype(sizeof(quint32));
    // The bytes of new cell i, taken from the old blob or from text.
    auto source = [&](int i) -> std::pair<const char*, quint32> {
        if (i == changed) {
            if (insert) return {nullptr, 0};
            return {text->constData(), static_cast<quint32>(text->size())};
        }
        int old = (insert && i > changed) ? i - 1 : i;
        if (old >= oldCount) return {nullptr, 0};
        quint32 start = old == 0 ? 0 : ReadWord(blob_, old);
        quint32 end = ReadWord(blob_, 1 + old);
        return {blob_.constData() + oldData + start, end - start};
    };
    qsizetype words = (1 + count) * qsizetype(sizeof(quint32));
    qsizetype total = words;
    for (int i = 0; i < count; ++i) total += source(i).second;
    QByteArray blob(total, Qt::Uninitialized);
    char* out = blob.data();
    WriteWord(out, static_cast<quint32>(count));
    quint32 end = 0;
    for (int i = 0; i < count; ++i) {
        auto [bytes, length] = source(i);
        if (length > 0) std::memcpy(out + words + end, bytes, length);
        end += length;
        WriteWord(out + (1 + i) * sizeof(quint32), end);
    }
    blob_ = std::move(blob);
}
