#include "gif/LzwEncoder.h"

#include <stdexcept>

namespace {

// The table is 2 MB and is emptied slot by slot, so each thread keeps one for all its
// frames instead of clearing a fresh one for every frame.
TCodeTable& ThreadTable() {
    thread_local std::unique_ptr<TCodeTable> Table;
    if (!Table) Table = std::make_unique<TCodeTable>();
    return *Table;
}

} // namespace

TByteBuffer EncodeImageData(const std::uint8_t* Data, std::size_t Count) {
    if (Count == 0)
        throw std::invalid_argument("EncodeImageData: a frame needs at least one pixel");

    TCodeTable* Table = &ThreadTable();
    Table->Reset(LzwMinimumCodeSize + 1);
    TEncodedBytes Encoded;
    // Codes are at most 12 bits per input byte; most frames need far less, so this avoids
    // every reallocation without holding much more than the result.
    Encoded.Buffer().Reserve(Count + Count / 2 + 16);

    Encoded.WriteCode(LzwClearCode, Table->CodeSize());
    std::size_t Pos = 0;
    std::uint16_t Last = Data[Pos++];
    Encoded.WriteCode(Last, Table->CodeSize());

    while (Pos < Count) {
        const std::uint8_t First = Data[Pos++];
        // The string just written, extended by the first byte of the next one: this entry
        // may already be the one that the next match uses.
        Table->AddEntry(Last, First);
        std::uint16_t Match = First;
        std::uint16_t Found = 0;
        while (Pos < Count && Table->FindCode(Data[Pos], Match, Found))
            ++Pos;
        Encoded.WriteCode(Match, Table->CodeSize());
        Last = Match;

        if (Table->Full() && Pos < Count) {
            Encoded.WriteCode(LzwClearCode, Table->CodeSize());
            Table->Reset(LzwMinimumCodeSize + 1);
            Last = Data[Pos++];
            Encoded.WriteCode(Last, Table->CodeSize());
        }
    }
    return Encoded.Finish(LzwEndCode, Table->CodeSize());
}

TByteBuffer EncodeImageData(std::unique_ptr<TBigByteArray> Data) {
    if (!Data) throw std::invalid_argument("EncodeImageData: no frame given");
    return EncodeImageData(Data->Data(), std::size_t(Data->Count() < 0 ? 0 : Data->Count()));
}

void WriteImageData(const ByteSink& Sink, const TByteBuffer& Buffer) {
    std::vector<std::uint8_t> Out;
    Out.reserve(Buffer.Total() + std::size_t(Buffer.BlockCount()) + 2);
    Out.push_back(LzwMinimumCodeSize);
    for (int I = 0; I < Buffer.BlockCount(); ++I) {
        const TByteBlock Block = Buffer.Blocks(I);
        Out.push_back(std::uint8_t(Block.Length));
        Out.insert(Out.end(), Block.Data, Block.Data + Block.Length);
    }
    Out.push_back(0);
    Sink(Out.data(), Out.size());
}
