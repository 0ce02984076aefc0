#include "ConstructionExample.h"

#include "model/WorkList.h"

#include <initializer_list>

namespace {

struct TExampleWork {
    const char* Name;
    TReal Days;
    // The works (by position) that must be finished first.
    std::initializer_list<int> After;
    // Workers of the crew, and whether the crane is on the work.
    TReal Workers;
    bool Crane = false;
};

// Finishing is entered after the floors although the roof and the services
// already wait for them: the table shows that dependency as redundant.
// Eight workers and one crane: at the early schedule the roof, the services
// and the landscaping want fourteen workers at once, which levelling spreads.
const TExampleWork Works[] = {
    {"Подготовка площадки", 3, {}, 4},          {"Рытьё котлована", 4, {0}, 3},
    {"Устройство фундамента", 6, {1}, 6, true}, {"Гидроизоляция фундамента", 1.5L, {2}, 2},
    {"Возведение стен", 10, {2}, 6, true},      {"Монтаж перекрытий", 4, {4}, 5, true},
    {"Устройство кровли", 5, {5}, 4, true},     {"Электромонтажные работы", 6, {5}, 3},
    {"Сантехнические работы", 5, {5}, 3},       {"Обратная засыпка и отмостка", 3, {3, 4}, 3},
    {"Отделочные работы", 8, {6, 7, 8, 5}, 6},  {"Благоустройство территории", 4, {9}, 4},
    {"Сдача объекта", 1, {10, 11}, 2},
};

} // namespace

void FillConstructionExample(TWorkList& List) {
    for (const TExampleWork& Work : Works)
        List.AddWork(TWorkData{Work.Name, Work.Days, {}}, true);
    for (int i = 0; i < List.Count(); ++i)
        for (int Before : Works[i].After)
            List.GetWork(i).Links[static_cast<std::size_t>(Before)] = LinkDirect;
    List.Changed(0, ckScheme);
    List.SetResources({{"Рабочие", "чел.", 8}, {"Кран", "шт.", 1}});
    for (int i = 0; i < List.Count(); ++i) {
        TDemands Demands;
        Demands.Set(0, Works[i].Workers);
        Demands.Set(1, Works[i].Crane ? 1 : 0);
        List.SetDemands(i, Demands);
    }
}
