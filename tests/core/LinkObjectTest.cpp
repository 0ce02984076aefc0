#include "CoreTestSupport.h"

#include "core/LinkObject.h"
#include "messages/ErrorStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using coretest::FaultText;
using coretest::Keys;
using coretest::KeySet;

namespace {

using THandles = std::vector<THandle>;

const std::string InArrayFault = "Add in PAI array: Size=0 have not correspondence Ptr";
const std::string BadPosition = "Delete node: parameter position is incorrect";
const std::string InLinkMissing = "DeleteObject: LO inLink object not found (search on handle)";
const std::string OutLinkMissing = "DeleteObject: LO outLink object not found (search on handle)";
const std::string NoReferrer = "Add reference: not find reference LO object with given handle";
const std::string NoTarget = "Add reference: not find data LO object with given handle";
const std::string DelRefMissing = "DelReference: nodes bnot find";

TLinkNode Record(std::int32_t TypeID, bool WithData = false) {
    TLinkNode Node;
    Node.TypeID = TypeID;
    if (WithData) {
        Node.Data = std::make_unique<TLinkData>();
        Node.Data->Mul1 = KeySet({1, 2, 3});
        Node.Data->Arcs = std::make_unique<TMultitude>();
        TMultitudeElement Arc(7);
        Arc.Subset = KeySet({4});
        Node.Data->Arcs->Add(std::move(Arc));
        Node.Data->TopN = TypeID;
    }
    return Node;
}

// A store with objects of handles 1..n (TypeID = 100 + handle).
void Fill(TMemoryLinkObject& Store, int n) {
    for (int i = 0; i < n; ++i)
        Store.AddObject(Record(101 + i));
}

THandles TableHandles(const TMemoryLinkObject& Store) {
    THandles Result;
    for (std::uint32_t p = 0; p < Store.Count(); ++p)
        Result.push_back(Store.Node(p).Handle);
    return Result;
}

// A plain model of the store: a table searched from the front, links kept as
// the store's own rules say, nothing shared with the code under test.
struct TModel {
    struct TRec {
        THandle Handle;
        std::int32_t TypeID;
        THandles Out, In;
        bool Mark = false;
    };
    std::vector<TRec> Table;
    THandle Last = 0;

    int Find(THandle h) const {
        for (std::size_t p = 0; p < Table.size(); ++p)
            if (Table[p].Handle == h)
                return static_cast<int>(p);
        return -1;
    }
    static void Put(THandles& a, THandle h) {
        if (std::find(a.begin(), a.end(), h) == a.end())
            a.push_back(h);
    }
    static void Take(THandles& a, THandle h) {
        auto it = std::find(a.begin(), a.end(), h);
        if (it != a.end())
            a.erase(it);
    }
    void Add(std::int32_t TypeID) { Table.push_back({++Last, TypeID, {}, {}}); }
    void AddReference(THandle r, THandle t) {
        Put(Table[static_cast<std::size_t>(Find(r))].Out, t);
        Put(Table[static_cast<std::size_t>(Find(t))].In, r);
    }
    void DelReference(THandle t, THandle r) {
        TRec& T = Table[static_cast<std::size_t>(Find(t))];
        if (T.In.size() < 2)
            return;
        Take(T.In, r);
        Take(Table[static_cast<std::size_t>(Find(r))].Out, t);
    }
    void Delete(std::size_t Position) {
        for (;;) {
            const TRec N = Table[Position];
            for (THandle h : N.In)
                Take(Table[static_cast<std::size_t>(Find(h))].Out, N.Handle);
            for (THandle h : Table[Position].Out) {
                TRec& Next = Table[static_cast<std::size_t>(Find(h))];
                if (Next.In.size() < 2)
                    Next.Mark = true;
                Take(Next.In, N.Handle);
            }
            Table[Position] = Table.back();
            Table.pop_back();
            auto it =
                std::find_if(Table.begin(), Table.end(), [](const TRec& r) { return r.Mark; });
            if (it == Table.end())
                return;
            Position = static_cast<std::size_t>(it - Table.begin());
        }
    }
};

// The objects a deletion must take with it: the least set holding the victim
// and every object that had referrers, all of them in the set.
std::set<THandle> DoomedOracle(const TModel& Model, THandle Victim) {
    std::set<THandle> Doomed = {Victim};
    bool Grew = true;
    while (Grew) {
        Grew = false;
        for (const TModel::TRec& r : Model.Table) {
            if (Doomed.count(r.Handle) || r.In.empty())
                continue;
            if (std::all_of(r.In.begin(), r.In.end(), [&](THandle h) { return Doomed.count(h); })) {
                Doomed.insert(r.Handle);
                Grew = true;
            }
        }
    }
    return Doomed;
}

std::string Describe(const TMemoryLinkObject& Store) {
    std::ostringstream Out;
    for (std::uint32_t p = 0; p < Store.Count(); ++p) {
        const TLinkNode& n = Store.Node(p);
        Out << p << ": #" << n.Handle << " out " << ::testing::PrintToString(n.OutLinks) << " in "
            << ::testing::PrintToString(n.InLinks) << "\n";
    }
    return Out.str();
}

void ExpectMatches(const TMemoryLinkObject& Store, const TModel& Model, const std::string& Step) {
    ASSERT_EQ(Store.Count(), Model.Table.size()) << Step << "\n" << Describe(Store);
    ASSERT_EQ(Store.LastHandle, static_cast<std::int32_t>(Model.Last)) << Step;
    for (std::uint32_t p = 0; p < Store.Count(); ++p) {
        const TLinkNode& n = Store.Node(p);
        const TModel::TRec& m = Model.Table[p];
        ASSERT_EQ(n.Handle, m.Handle) << Step << " at " << p << "\n" << Describe(Store);
        ASSERT_EQ(n.TypeID, m.TypeID) << Step;
        ASSERT_EQ(n.OutLinks, m.Out) << Step << " #" << n.Handle << "\n" << Describe(Store);
        ASSERT_EQ(n.InLinks, m.In) << Step << " #" << n.Handle << "\n" << Describe(Store);
        ASSERT_EQ(n.DeleteMark, 0) << Step;
    }
}

void ExpectConsistent(const TMemoryLinkObject& Store, const std::string& Step) {
    std::set<THandle> Live;
    for (std::uint32_t p = 0; p < Store.Count(); ++p) {
        const TLinkNode& n = Store.Node(p);
        Live.insert(n.Handle);
        ASSERT_EQ(Store.FindNodeOnHandle(n.Handle), static_cast<std::int32_t>(p)) << Step;
        ASSERT_EQ(&Store.Get(n.Handle), &n) << Step;
        for (THandle h : n.OutLinks) {
            const auto& In = Store.Get(h).InLinks;
            ASSERT_EQ(std::count(In.begin(), In.end(), n.Handle), 1)
                << Step << ": #" << n.Handle << " -> #" << h << " not mirrored\n"
                << Describe(Store);
        }
        for (THandle h : n.InLinks) {
            const auto& Out = Store.Get(h).OutLinks;
            ASSERT_EQ(std::count(Out.begin(), Out.end(), n.Handle), 1)
                << Step << ": #" << h << " -> #" << n.Handle << " not mirrored\n"
                << Describe(Store);
        }
    }
    for (THandle h = 0; h <= static_cast<THandle>(Store.LastHandle) + 1; ++h)
        if (!Live.count(h)) {
            ASSERT_EQ(Store.FindNodeOnHandle(h), -1) << Step << " handle " << h;
            ASSERT_EQ(FaultText([&] { Store.Get(h); }), Msg::NodeNotFound) << Step;
        }
}

} // namespace

// ------------------------------------------------------------ handle arrays

TEST(LinkHandleArray, AddKeepsOrderAndNeverDuplicates) {
    THandles a;
    TLinkObject::AddInArray(5, a);
    EXPECT_EQ(a, (THandles{5}));
    TLinkObject::AddInArray(3, a);
    TLinkObject::AddInArray(5, a);
    TLinkObject::AddInArray(9, a);
    EXPECT_EQ(a, (THandles{5, 3, 9}));
}

TEST(LinkHandleArray, DeleteKeepsTheOrderOfTheRest) {
    THandles a = {4, 8, 2, 6};
    TLinkObject::DelInArray(8, a);
    EXPECT_EQ(a, (THandles{4, 2, 6}));
    TLinkObject::DelInArray(6, a);
    TLinkObject::DelInArray(4, a);
    EXPECT_EQ(a, (THandles{2}));
    TLinkObject::DelInArray(7, a); // absent, also with a single entry
    EXPECT_EQ(a, (THandles{2}));
    TLinkObject::DelInArray(2, a);
    EXPECT_TRUE(a.empty());
    TLinkObject::DelInArray(2, a);
    EXPECT_TRUE(a.empty());
}

// ------------------------------------------------------------------ cursor

TEST(LinkCursor, AllocDataGivesAZeroFilledBlockAndNothingWhenUnattached) {
    TLinkObject Cursor;
    Cursor.AllocData(); // unattached: nothing happens
    TLinkNode Node;
    EXPECT_EQ(Node.DataSize(), 0u);
    Cursor.Attach(&Node);
    Cursor.AllocData();
    ASSERT_NE(Node.Data, nullptr);
    EXPECT_EQ(Node.DataSize(), 64u);
    EXPECT_EQ(Node.Data->Mul1, nullptr);
    EXPECT_EQ(Node.Data->Arcs, nullptr);
    EXPECT_EQ(Node.Data->TopN, 0);
    EXPECT_EQ(Node.Data->Duration, 0);
    Cursor.Detach();
    EXPECT_EQ(Cursor.Node, nullptr);
    EXPECT_NE(Node.Data, nullptr);
}

TEST(LinkCursor, LinksAndReleaseOfTheAttachedRecord) {
    TLinkNode Node = Record(10, true);
    TLinkObject Cursor;
    Cursor.Attach(&Node);
    Cursor.AddOutLink(3);
    Cursor.AddOutLink(3);
    Cursor.AddInLink(4);
    Cursor.AddInLink(5);
    Cursor.DelInLink(4);
    EXPECT_EQ(Node.OutLinks, (THandles{3}));
    EXPECT_EQ(Node.InLinks, (THandles{5}));
    Cursor.DelOutLink(3);
    EXPECT_EQ(Node.OutLinkCount(), 0u);
    Cursor.ReleaseContents();
    EXPECT_EQ(Node.Data, nullptr);
    EXPECT_EQ(Node.InLinkCount(), 0u);
    EXPECT_EQ(Node.TypeID, 10);
}

TEST(LinkCursor, CopyToGivesTheTargetItsOwnArraysAndSets) {
    TLinkNode Source = Record(11, true);
    Source.Handle = 7;
    Source.RootFlag = 1;
    Source.InLinks = {3, 1, 2};
    Source.OutLinks = {9, 8};
    Source.Data->Duration = 2.5L;
    TLinkObject Cursor;
    Cursor.Attach(&Source);
    TLinkNode Target;
    Cursor.CopyTo(Target);
    EXPECT_EQ(Target.Handle, 7u);
    EXPECT_EQ(Target.RootFlag, 1);
    EXPECT_EQ(Target.TypeID, 11);
    EXPECT_EQ(Target.InLinks, (THandles{3, 1, 2}));
    EXPECT_EQ(Target.OutLinks, (THandles{9, 8}));
    ASSERT_NE(Target.Data, nullptr);
    EXPECT_EQ(Target.Data->Duration, 2.5L);
    EXPECT_EQ(Target.Data->TopN, 11);
    EXPECT_EQ(Keys(*Target.Data->Mul1), (std::vector<std::int32_t>{1, 2, 3}));
    Target.InLinks.push_back(4);
    Target.Data->Mul1->AddKey(4);
    EXPECT_EQ(Source.InLinks, (THandles{3, 1, 2}));
    EXPECT_EQ(Keys(*Source.Data->Mul1), (std::vector<std::int32_t>{1, 2, 3}));
}

// A set that the network keeps in mark order stays in that order in a copy.
TEST(LinkCursor, CopyToKeepsTheOrderOfASetSortedByValue) {
    TLinkNode Source = Record(11, true);
    Source.Data->Mul3 = std::make_unique<TMultitude>();
    Source.Data->Mul3->Compare = CompareValues;
    Source.Data->Mul3->Add(TMultitudeElement(1, 1));
    Source.Data->Mul3->Add(TMultitudeElement(2, 0));
    TLinkObject Cursor;
    Cursor.Attach(&Source);
    TLinkNode Target;
    Cursor.CopyTo(Target);
    EXPECT_EQ(Target.Data->Mul3->Compare, &CompareValues);
    EXPECT_EQ(Keys(*Target.Data->Mul3), (std::vector<std::int32_t>{2, 1}));
}

// ------------------------------------------------------- handles and lookup

TEST(LinkStore, HandlesCountFromOneAndAreNeverReused) {
    TMemoryLinkObject Store;
    EXPECT_EQ(Store.LastHandle, 0);
    EXPECT_EQ(Store.AddObject(Record(1)), 1u);
    EXPECT_EQ(Store.LastHandle, 1);
    EXPECT_EQ(Store.AddObject(Record(2)), 2u);
    Store.DeleteObject(static_cast<std::uint32_t>(Store.FindNodeOnHandle(2)));
    EXPECT_EQ(Store.AddObject(Record(3)), 3u);
    EXPECT_EQ(TableHandles(Store), (THandles{1, 3}));
    EXPECT_EQ(Store.Get(3).TypeID, 3);
    EXPECT_EQ(Store.FindNodeOnHandle(2), -1);
    Store.FreeAll();
}

TEST(LinkStore, AddObjectTakesTheRecordWithItsData) {
    TMemoryLinkObject Store;
    TLinkNode Node = Record(10, true);
    Node.RootFlag = 1;
    const THandle h = Store.AddObject(std::move(Node));
    const TLinkNode& Stored = Store.Get(h);
    EXPECT_EQ(Stored.Handle, h);
    EXPECT_EQ(Stored.RootFlag, 1);
    EXPECT_EQ(Stored.DataSize(), 64u);
    EXPECT_EQ(Keys(*Stored.Data->Mul1), (std::vector<std::int32_t>{1, 2, 3}));
    Store.FreeAll();
}

TEST(LinkStore, AnEmptyStoreFindsNothingAndGetFaults) {
    TMemoryLinkObject Store;
    EXPECT_EQ(Store.FindNodeOnHandle(1), -1);
    EXPECT_EQ(Store.FindNodeOnHandle(0), -1);
    EXPECT_EQ(FaultText([&] { Store.Get(1); }), Msg::NodeNotFound);
    Fill(Store, 2);
    EXPECT_EQ(Store.FindNodeOnHandle(0), -1);
    EXPECT_EQ(Store.FindNodeOnHandle(3), -1);
    EXPECT_EQ(Store.FindNodeOnHandle(0xFFFFFFFFu), -1);
    EXPECT_EQ(FaultText([&] { Store.Get(3); }), Msg::NodeNotFound);
    Store.FreeAll();
}

// --------------------------------------------------------------- references

TEST(LinkStore, AReferenceIsHeldOnceOnBothSides) {
    TMemoryLinkObject Store;
    Fill(Store, 3);
    Store.AddReference(1, 2);
    Store.AddReference(1, 2);
    Store.AddReference(1, 3);
    Store.AddReference(3, 2);
    EXPECT_EQ(Store.Get(1).OutLinks, (THandles{2, 3}));
    EXPECT_EQ(Store.Get(2).InLinks, (THandles{1, 3}));
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{1}));
    Store.FreeAll();
}

TEST(LinkStore, AddReferenceFaults) {
    TMemoryLinkObject Store;
    Fill(Store, 2);
    EXPECT_EQ(FaultText([&] { Store.AddReference(9, 1); }), NoReferrer);
    EXPECT_TRUE(Store.Get(1).InLinks.empty());
    // A missing target is found only after the referrer's out-link is in place.
    EXPECT_EQ(FaultText([&] { Store.AddReference(1, 9); }), NoTarget);
    EXPECT_EQ(Store.Get(1).OutLinks, (THandles{9}));
    Store.FreeAll();
}

TEST(LinkStore, DelReferenceNeverRemovesTheLastReferrer) {
    TMemoryLinkObject Store;
    Fill(Store, 3);
    Store.AddReference(1, 3);
    Store.AddReference(2, 3);
    Store.DelReference(3, 1);
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{2}));
    EXPECT_TRUE(Store.Get(1).OutLinks.empty());
    Store.DelReference(3, 2);
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{2}));
    EXPECT_EQ(Store.Get(2).OutLinks, (THandles{3}));
    Store.FreeAll();
}

TEST(LinkStore, DelReferenceFaultsOnAMissingObjectAndChangesNothing) {
    TMemoryLinkObject Store;
    Fill(Store, 3);
    Store.AddReference(1, 3);
    Store.AddReference(2, 3);
    EXPECT_EQ(FaultText([&] { Store.DelReference(3, 7); }), DelRefMissing);
    EXPECT_EQ(FaultText([&] { Store.DelReference(7, 1); }), DelRefMissing);
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{1, 2}));
    EXPECT_EQ(Store.Get(1).OutLinks, (THandles{3}));
    Store.FreeAll();
}

// ----------------------------------------------------------------- deletion

TEST(LinkStore, DeletingAnObjectTakesWhatOnlyItReferredTo) {
    TMemoryLinkObject Store;
    Fill(Store, 4);
    Store.AddReference(1, 2);
    Store.AddReference(2, 3);
    Store.AddReference(4, 3);
    Store.DeleteObject(0);
    EXPECT_EQ(Store.FindNodeOnHandle(1), -1);
    EXPECT_EQ(Store.FindNodeOnHandle(2), -1);
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{4}));
    EXPECT_EQ(Store.Get(4).OutLinks, (THandles{3}));
    EXPECT_EQ(Store.Count(), 2u);
    // 1 went, 4 moved into its place; then 2 (at position 1) went, 3 moved there.
    EXPECT_EQ(TableHandles(Store), (THandles{4, 3}));
    Store.FreeAll();
}

TEST(LinkStore, TheLastRecordMovesIntoTheHole) {
    TMemoryLinkObject Store;
    Fill(Store, 3);
    Store.DeleteObject(0);
    EXPECT_EQ(TableHandles(Store), (THandles{3, 2}));
    EXPECT_EQ(Store.FindNodeOnHandle(3), 0);
    Store.DeleteObject(1);
    EXPECT_EQ(TableHandles(Store), (THandles{3}));
    Store.FreeAll();
}

TEST(LinkStore, DeletingTheOnlyRecordEmptiesTheTableButKeepsLastHandle) {
    TMemoryLinkObject Store;
    Store.AddObject(Record(1, true));
    Store.DeleteObject(0);
    EXPECT_EQ(Store.Count(), 0u);
    EXPECT_EQ(Store.LastHandle, 1);
    EXPECT_EQ(Store.FindNodeOnHandle(1), -1);
    EXPECT_EQ(Store.AddObject(Record(2)), 2u);
    Store.FreeAll();
}

TEST(LinkStore, DeleteAtOrPastTheEndFaultsAndChangesNothing) {
    TMemoryLinkObject Store;
    EXPECT_EQ(FaultText([&] { Store.DeleteObject(0); }), BadPosition);
    Fill(Store, 2);
    Store.AddReference(1, 2);
    for (std::uint32_t Bad : {2u, 3u, 0xFFFFFFFFu})
        EXPECT_EQ(FaultText([&] { Store.DeleteObject(Bad); }), BadPosition) << Bad;
    EXPECT_EQ(TableHandles(Store), (THandles{1, 2}));
    EXPECT_EQ(Store.Get(2).InLinks, (THandles{1}));
    Store.FreeAll();
}

TEST(LinkStore, AnObjectWithAnotherReferrerOnlyLosesItsInLink) {
    TMemoryLinkObject Store;
    Fill(Store, 3);
    Store.AddReference(1, 3);
    Store.AddReference(2, 3);
    Store.AddReference(3, 1); // 3 refers back to 1
    Store.DeleteObject(0);
    EXPECT_EQ(TableHandles(Store), (THandles{3, 2}));
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{2}));
    EXPECT_TRUE(Store.Get(3).OutLinks.empty());
    Store.FreeAll();
}

TEST(LinkStore, SelfReferencesAndCyclesKeepEachOtherAlive) {
    TMemoryLinkObject Store;
    Fill(Store, 4);
    Store.AddReference(1, 2);
    Store.AddReference(2, 2); // 2 refers to itself
    Store.AddReference(1, 3);
    Store.AddReference(3, 4);
    Store.AddReference(4, 3); // 3 and 4 refer to each other
    Store.DeleteObject(0);
    EXPECT_EQ(Store.FindNodeOnHandle(1), -1);
    EXPECT_EQ(Store.Get(2).InLinks, (THandles{2}));
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{4}));
    ExpectConsistent(Store, "after deleting 1");
    // Deleting an object that refers to itself: it is its own referrer.
    Store.DeleteObject(static_cast<std::uint32_t>(Store.FindNodeOnHandle(2)));
    EXPECT_EQ(Store.FindNodeOnHandle(2), -1);
    ExpectConsistent(Store, "after deleting 2");
    Store.DeleteObject(static_cast<std::uint32_t>(Store.FindNodeOnHandle(3)));
    EXPECT_EQ(Store.Count(), 0u);
    Store.FreeAll();
}

TEST(LinkStore, ACascadeDeletesMarkedObjectsFromTheFrontOfTheTable) {
    TMemoryLinkObject Store;
    // root 1 refers to 5, 2 and 4 (in that order); 2 refers to 3; 6 stays alone.
    Fill(Store, 6);
    Store.AddReference(1, 5);
    Store.AddReference(1, 2);
    Store.AddReference(1, 4);
    Store.AddReference(2, 3);
    TModel Model;
    for (int i = 0; i < 6; ++i)
        Model.Add(101 + i);
    Model.AddReference(1, 5);
    Model.AddReference(1, 2);
    Model.AddReference(1, 4);
    Model.AddReference(2, 3);
    Store.DeleteObject(0);
    Model.Delete(0);
    ExpectMatches(Store, Model, "cascade");
    EXPECT_EQ(TableHandles(Store), (THandles{6}));
    Store.FreeAll();
}

TEST(LinkStore, RandomSequencesKeepTheStoreConsistent) {
    for (std::uint32_t Seed : {1u, 2u, 3u, 17u, 2024u, 65537u}) {
        std::mt19937 Random(Seed);
        TMemoryLinkObject Store;
        TModel Model;
        std::uniform_int_distribution<int> Op(0, 99);
        for (int Step = 0; Step < 600; ++Step) {
            const int o = Op(Random);
            const std::size_t n = Model.Table.size();
            auto AnyLive = [&] {
                return Model.Table[std::uniform_int_distribution<std::size_t>(0, n - 1)(Random)]
                    .Handle;
            };
            std::string What;
            if (n == 0 || o < 25) {
                const std::int32_t Type = static_cast<std::int32_t>(Random() % 20);
                Store.AddObject(Record(Type, Random() % 2 == 0));
                Model.Add(Type);
                What = "add";
            } else if (o < 70) {
                const THandle r = AnyLive(), t = AnyLive();
                Store.AddReference(r, t);
                Model.AddReference(r, t);
                What = "ref " + std::to_string(r) + "->" + std::to_string(t);
            } else if (o < 80) {
                const THandle t = AnyLive(), r = AnyLive();
                Store.DelReference(t, r);
                Model.DelReference(t, r);
                What = "unref " + std::to_string(r) + "->" + std::to_string(t);
            } else {
                const auto p = std::uniform_int_distribution<std::size_t>(0, n - 1)(Random);
                const THandle Victim = Model.Table[p].Handle;
                const std::set<THandle> Doomed = DoomedOracle(Model, Victim);
                std::set<THandle> Before;
                for (const auto& r : Model.Table)
                    Before.insert(r.Handle);
                Store.DeleteObject(static_cast<std::uint32_t>(p));
                Model.Delete(p);
                std::set<THandle> Gone;
                for (THandle h : Before)
                    if (Store.FindNodeOnHandle(h) < 0)
                        Gone.insert(h);
                What = "delete #" + std::to_string(Victim);
                ASSERT_EQ(Gone, Doomed) << "seed " << Seed << " step " << Step << ": " << What;
            }
            const std::string Where = "seed " + std::to_string(Seed) + " step " +
                                      std::to_string(Step) + " (" + What + ")";
            ExpectMatches(Store, Model, Where);
            ExpectConsistent(Store, Where);
            if (HasFatalFailure())
                return;
        }
        Store.FreeAll();
        EXPECT_EQ(Store.Count(), 0u);
    }
}

// ------------------------------------------------- faults half-way through

TEST(LinkStoreBroken, ADeletionFailingOnAMissingTargetLeavesAReleasableStore) {
    TMemoryLinkObject Store;
    Store.AddObject(Record(1, true));
    Store.AddObject(Record(2, true));
    Store.AddObject(Record(3, true));
    Store.AddReference(3, 1);
    Store.AddReference(1, 2);
    // The failing reference leaves a dangling out-link 99 behind 2.
    ASSERT_EQ(FaultText([&] { Store.AddReference(1, 99); }), NoTarget);
    ASSERT_EQ(Store.Get(1).OutLinks, (THandles{2, 99}));

    EXPECT_EQ(FaultText([&] { Store.DeleteObject(0); }), OutLinkMissing);
    // Unlinked from every neighbour it reached, emptied, still in the table.
    const TLinkNode& Failed = Store.Get(1);
    EXPECT_EQ(Failed.Data, nullptr);
    EXPECT_TRUE(Failed.OutLinks.empty());
    EXPECT_TRUE(Failed.InLinks.empty());
    EXPECT_TRUE(Store.Get(3).OutLinks.empty());
    EXPECT_TRUE(Store.Get(2).InLinks.empty());
    EXPECT_EQ(Store.Get(2).DeleteMark, 1);
    EXPECT_EQ(Store.Count(), 3u);
    Store.FreeAll();
    EXPECT_EQ(Store.Count(), 0u);
    EXPECT_EQ(Store.FindNodeOnHandle(2), -1);
}

TEST(LinkStoreBroken, ADeletionFailingOnAMissingReferrerLeavesAReleasableStore) {
    TMemoryLinkObject Store;
    Store.AddObject(Record(1, true));
    Store.AddObject(Record(2, true));
    Store.AddObject(Record(3, true));
    Store.AddReference(1, 2);
    Store.AddReference(2, 3);
    Store.Get(2).InLinks.push_back(77); // a referrer that does not exist
    EXPECT_EQ(FaultText([&] { Store.DeleteObject(1); }), InLinkMissing);
    EXPECT_TRUE(Store.Get(1).OutLinks.empty());
    EXPECT_EQ(Store.Get(2).Data, nullptr);
    // Out-links are reached only after every in-link: 3 kept its referrer.
    EXPECT_EQ(Store.Get(3).InLinks, (THandles{2}));
    EXPECT_EQ(Store.Get(3).DeleteMark, 0);
    Store.FreeAll();
}

TEST(LinkStoreBroken, ACascadeFailingHalfWayLeavesAReleasableStore) {
    TMemoryLinkObject Store;
    for (int i = 0; i < 4; ++i)
        Store.AddObject(Record(i, true));
    Store.AddReference(1, 2);
    Store.AddReference(2, 3);
    ASSERT_EQ(FaultText([&] { Store.AddReference(2, 50); }), NoTarget);
    Store.AddReference(2, 4);
    // Deleting 1 cascades into 2, which fails on 50 before it reaches 4.
    EXPECT_EQ(FaultText([&] { Store.DeleteObject(0); }), OutLinkMissing);
    EXPECT_EQ(Store.FindNodeOnHandle(1), -1);
    EXPECT_EQ(Store.Get(2).Data, nullptr);
    EXPECT_EQ(Store.Get(3).DeleteMark, 1);
    EXPECT_EQ(Store.Get(4).InLinks, (THandles{2}));
    EXPECT_EQ(Store.Get(4).DeleteMark, 0);

    // The next deletion sweeps up what the broken one left marked.
    Store.AddObject(Record(5));
    Store.DeleteObject(static_cast<std::uint32_t>(Store.FindNodeOnHandle(5)));
    EXPECT_EQ(Store.FindNodeOnHandle(2), -1);
    EXPECT_EQ(Store.FindNodeOnHandle(3), -1);
    Store.FreeAll();
}

TEST(LinkStoreBroken, ARecordThatEntersMarkedIsSweptByTheNextDeletion) {
    TMemoryLinkObject Store;
    Fill(Store, 2);
    TLinkNode Marked = Record(9, true);
    Marked.DeleteMark = 1;
    Store.AddObject(std::move(Marked));
    Store.DeleteObject(0);
    EXPECT_EQ(TableHandles(Store), (THandles{2}));
    Store.FreeAll();
}

TEST(LinkStoreReferences, NewReferenceLinksBothSidesAsAddReferenceDoes) {
    TMemoryLinkObject Quick;
    TMemoryLinkObject Checked;
    Fill(Quick, 3);
    Fill(Checked, 3);
    Quick.AddNewReference(1, 3);
    Quick.AddNewReference(2, 3);
    Checked.AddReference(1, 3);
    Checked.AddReference(2, 3);
    for (const THandle h : {1u, 2u, 3u}) {
        EXPECT_EQ(Quick.Get(h).OutLinks, Checked.Get(h).OutLinks) << h;
        EXPECT_EQ(Quick.Get(h).InLinks, Checked.Get(h).InLinks) << h;
    }
    EXPECT_NE(FaultText([&] { Quick.AddNewReference(1, 9); }), "<no fault>");
}
