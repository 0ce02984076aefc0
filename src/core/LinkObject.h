#pragma once
// The store of linked objects on which the network diagram is built: events,
// chain nodes, level objects and roots, each a record with a handle, a kind,
// an optional data block and the handles of the objects it refers to and that
// refer to it. The store issues handles from 1, keeps both sides of every
// reference in step, and deletes objects together with every object that would
// be left without a referrer.

#include "core/Multitude.h"

#include <cstdint>
#include <memory>
#include <vector>

// The data block of a network vertex (and of level objects and chain nodes).
// The block owns its sets.
struct TLinkData {
    std::unique_ptr<TMultitude> Mul1;
    std::unique_ptr<TMultitude> Mul2;
    std::unique_ptr<TMultitude> Mul3;
    std::unique_ptr<TMultitude> Mul4;
    std::unique_ptr<TMultitude> FictIn;
    std::unique_ptr<TMultitude> FictOut;
    std::int32_t TopN = 0;
    std::int32_t Y = 0;
    std::int32_t Number = 0;
    std::unique_ptr<TMultitude> CritOut;
    std::unique_ptr<TMultitude> Arcs;
    TReal Duration = 0;

    // A copy with copies of every set.
    std::unique_ptr<TLinkData> Clone() const;
};

using THandle = std::uint32_t;
using THandleArray = std::vector<THandle>;

// The record of one link object.
struct TLinkNode {
    THandle Handle = 0;
    std::uint8_t RootFlag = 0;
    std::int32_t TypeID = 0;
    std::uint8_t DeleteMark = 0;
    std::unique_ptr<TLinkData> Data;
    THandleArray OutLinks; // in the order the references were added
    THandleArray InLinks;

    std::uint32_t DataSize() const { return Data ? 64u : 0u; }
    std::uint32_t OutLinkCount() const { return static_cast<std::uint32_t>(OutLinks.size()); }
    std::uint32_t InLinkCount() const { return static_cast<std::uint32_t>(InLinks.size()); }
};

// A light cursor on one record; it never owns the record it points at.
class TLinkObject {
public:
    TLinkNode* Node = nullptr;

    void Attach(TLinkNode* ANode) { Node = ANode; }
    void Detach() { Node = nullptr; }
    // A new zero-filled data block for the attached record.
    void AllocData();
    void AddOutLink(THandle Handle);
    void AddInLink(THandle Handle);
    void DelOutLink(THandle Handle);
    void DelInLink(THandle Handle);
    // Frees the data block (and with it its sets) and both handle arrays.
    void ReleaseContents();
    // Copies the attached record into Target with copies of its contents.
    void CopyTo(TLinkNode& Target) const;

    // Handle arrays hold no handle twice and keep the order of addition.
    static void AddInArray(THandle Value, THandleArray& Array);
    static void DelInArray(THandle Value, THandleArray& Array);
};

class TMemoryLinkObject {
public:
    // The handle issued last; 0 before the first addition.
    std::int32_t LastHandle = 0;

    TMemoryLinkObject() = default;
    TMemoryLinkObject(const TMemoryLinkObject&) = delete;
    TMemoryLinkObject& operator=(const TMemoryLinkObject&) = delete;

    std::uint32_t Count() const { return static_cast<std::uint32_t>(Items.size()); }
    TLinkNode& Node(std::uint32_t Position) { return Items[Position]; }
    const TLinkNode& Node(std::uint32_t Position) const { return Items[Position]; }

    // Releases every record; the store is empty afterwards.
    void FreeAll();
    // Appends the record and gives it the next handle, which is returned (and
    // left in LastHandle).
    THandle AddObject(TLinkNode&& Record);
    // Deletes the record at that table position, unlinks it from its
    // neighbours and deletes in turn every object that lost its last referrer.
    // The last record of the table moves into the hole.
    void DeleteObject(std::uint32_t Position);
    // Table position of the record with that handle, or -1.
    std::int32_t FindNodeOnHandle(THandle Handle) const;
    // The record with that handle; raises an internal fault if there is none.
    // Valid until the next AddObject or DeleteObject.
    TLinkNode& Get(THandle Handle);
    const TLinkNode& Get(THandle Handle) const;
    // Referrer -> Target.
    void AddReference(THandle Referrer, THandle Target);
    // AddReference where the caller knows that the reference is new (neither
    // array holds the other handle yet): no search for a duplicate.
    void AddNewReference(THandle Referrer, THandle Target);
    // Removes Referrer -> Target unless Referrer is Target's last referrer.
    void DelReference(THandle Target, THandle Referrer);

private:
    std::vector<TLinkNode> Items;
    // Table position of every handle issued, -1 once deleted.
    std::vector<std::int32_t> PositionOfHandle{-1};

    void SetPosition(THandle Handle, std::int32_t Position);
};
