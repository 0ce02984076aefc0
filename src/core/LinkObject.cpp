#include "core/LinkObject.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <algorithm>

namespace {

std::unique_ptr<TMultitude> CopyOf(const std::unique_ptr<TMultitude>& Set) {
    if (!Set)
        return nullptr;
    auto Result = Set->Copy();
    // A copy keeps the order of its source (Mul3 is ordered by mark).
    Result->Compare = Set->Compare;
    Result->Sort();
    return Result;
}

} // namespace

std::unique_ptr<TLinkData> TLinkData::Clone() const {
    auto Result = std::make_unique<TLinkData>();
    Result->Mul1 = CopyOf(Mul1);
    Result->Mul2 = CopyOf(Mul2);
    Result->Mul3 = CopyOf(Mul3);
    Result->Mul4 = CopyOf(Mul4);
    Result->FictIn = CopyOf(FictIn);
    Result->FictOut = CopyOf(FictOut);
    Result->TopN = TopN;
    Result->Y = Y;
    Result->Number = Number;
    Result->CritOut = CopyOf(CritOut);
    Result->Arcs = CopyOf(Arcs);
    Result->Duration = Duration;
    return Result;
}

void TLinkObject::AllocData() {
    if (Node)
        Node->Data = std::make_unique<TLinkData>();
}

void TLinkObject::AddOutLink(THandle Handle) { AddInArray(Handle, Node->OutLinks); }
void TLinkObject::AddInLink(THandle Handle) { AddInArray(Handle, Node->InLinks); }
void TLinkObject::DelOutLink(THandle Handle) { DelInArray(Handle, Node->OutLinks); }
void TLinkObject::DelInLink(THandle Handle) { DelInArray(Handle, Node->InLinks); }

void TLinkObject::ReleaseContents() {
    if (!Node)
        return;
    Node->Data.reset();
    Node->OutLinks = {};
    Node->InLinks = {};
}

void TLinkObject::CopyTo(TLinkNode& Target) const {
    Target.Handle = Node->Handle;
    Target.RootFlag = Node->RootFlag;
    Target.TypeID = Node->TypeID;
    Target.DeleteMark = Node->DeleteMark;
    Target.Data = Node->Data ? Node->Data->Clone() : nullptr;
    Target.OutLinks = Node->OutLinks;
    Target.InLinks = Node->InLinks;
}

void TLinkObject::AddInArray(THandle Value, THandleArray& Array) {
    if (std::find(Array.begin(), Array.end(), Value) == Array.end())
        Array.push_back(Value);
}

void TLinkObject::DelInArray(THandle Value, THandleArray& Array) {
    auto It = std::find(Array.begin(), Array.end(), Value);
    if (It != Array.end())
        Array.erase(It);
}

void TMemoryLinkObject::FreeAll() {
    Items.clear();
    Items.shrink_to_fit();
    std::fill(PositionOfHandle.begin(), PositionOfHandle.end(), -1);
}

void TMemoryLinkObject::SetPosition(THandle Handle, std::int32_t Position) {
    if (Handle >= PositionOfHandle.size())
        PositionOfHandle.resize(Handle + 1, -1);
    PositionOfHandle[Handle] = Position;
}

THandle TMemoryLinkObject::AddObject(TLinkNode&& Record) {
    ++LastHandle;
    const THandle Handle = static_cast<THandle>(LastHandle);
    Record.Handle = Handle;
    Items.push_back(std::move(Record));
    SetPosition(Handle, static_cast<std::int32_t>(Items.size() - 1));
    return Handle;
}

std::int32_t TMemoryLinkObject::FindNodeOnHandle(THandle Handle) const {
    if (Handle == 0 || Handle >= PositionOfHandle.size())
        return -1;
    return PositionOfHandle[Handle];
}

TLinkNode& TMemoryLinkObject::Get(THandle Handle) {
    const std::int32_t p = FindNodeOnHandle(Handle);
    if (p < 0)
        RaiseFault(Msg::NodeNotFound);
    return Items[static_cast<std::size_t>(p)];
}

const TLinkNode& TMemoryLinkObject::Get(THandle Handle) const {
    return const_cast<TMemoryLinkObject*>(this)->Get(Handle);
}

void TMemoryLinkObject::AddReference(THandle Referrer, THandle Target) {
    const std::int32_t p = FindNodeOnHandle(Referrer);
    if (p < 0)
        RaiseFault("Add reference: not find reference LO object with given handle");
    TLinkObject::AddInArray(Target, Items[static_cast<std::size_t>(p)].OutLinks);
    const std::int32_t q = FindNodeOnHandle(Target);
    if (q < 0)
        RaiseFault("Add reference: not find data LO object with given handle");
    TLinkObject::AddInArray(Referrer, Items[static_cast<std::size_t>(q)].InLinks);
}

void TMemoryLinkObject::AddNewReference(THandle Referrer, THandle Target) {
    const std::int32_t p = FindNodeOnHandle(Referrer);
    if (p < 0)
        RaiseFault("Add reference: not find reference LO object with given handle");
    const std::int32_t q = FindNodeOnHandle(Target);
    if (q < 0)
        RaiseFault("Add reference: not find data LO object with given handle");
    Items[static_cast<std::size_t>(p)].OutLinks.push_back(Target);
    Items[static_cast<std::size_t>(q)].InLinks.push_back(Referrer);
}

void TMemoryLinkObject::DelReference(THandle Target, THandle Referrer) {
    const std::int32_t p = FindNodeOnHandle(Target);
    const std::int32_t q = FindNodeOnHandle(Referrer);
    if (p < 0 || q < 0)
        RaiseFault("DelReference: nodes bnot find");
    TLinkNode& T = Items[static_cast<std::size_t>(p)];
    if (T.InLinkCount() <= 1)
        return;
    TLinkObject::DelInArray(Referrer, T.InLinks);
    TLinkObject::DelInArray(Target, Items[static_cast<std::size_t>(q)].OutLinks);
}

void TMemoryLinkObject::DeleteObject(std::uint32_t Position) {
    for (;;) {
        if (Position >= Count())
            RaiseFault("Delete node: parameter position is incorrect");
        TLinkNode& N = Items[Position];
        const THandle Handle = N.Handle;
        {
            // Whatever happens below, the record's contents are released; after
            // a fault the emptied record stays in the table.
            struct Release {
                TLinkNode& Node;
                ~Release() {
                    Node.Data.reset();
                    Node.OutLinks = {};
                    Node.InLinks = {};
                }
            } Guard{N};
            for (THandle h : N.InLinks) {
                const std::int32_t p = FindNodeOnHandle(h);
                if (p < 0)
                    RaiseFault("DeleteObject: LO inLink object not found (search on handle)");
                TLinkObject::DelInArray(Handle, Items[static_cast<std::size_t>(p)].OutLinks);
            }
            for (THandle h : N.OutLinks) {
                const std::int32_t p = FindNodeOnHandle(h);
                if (p < 0)
                    RaiseFault("DeleteObject: LO outLink object not found (search on handle)");
                TLinkNode& Neighbour = Items[static_cast<std::size_t>(p)];
                if (Neighbour.InLinkCount() < 2)
                    Neighbour.DeleteMark = 1;
                TLinkObject::DelInArray(Handle, Neighbour.InLinks);
            }
        }
        const std::uint32_t Last = Count() - 1;
        if (Position != Last) {
            Items[Position] = std::move(Items[Last]);
            SetPosition(Items[Position].Handle, static_cast<std::int32_t>(Position));
        }
        Items.pop_back();
        PositionOfHandle[Handle] = -1;

        // The whole table is searched every time: a mark left by a deletion
        // that failed half-way, or one that came in with a record, is swept
        // up as well.
        auto It = std::find_if(Items.begin(), Items.end(),
                               [](const TLinkNode& Node) { return Node.DeleteMark != 0; });
        if (It == Items.end())
            return;
        Position = static_cast<std::uint32_t>(It - Items.begin());
    }
}
