#include "ConstructionExample.h"

#include "model/WorkList.h"

#include <initializer_list>

namespace {

struct TExampleWork {
    const char* Name;
    TReal Days;
    // The works (by position) that must be finished first.
    std::initializer_list<int> After;
};

// Finishing is entered after the floors although the roof and the services
// already wait for them: the table shows that dependency as redundant.
const TExampleWork Works[] = {
    {"Подготовка площадки", 3, {}},         {"Рытьё котлована", 4, {0}},
    {"Устройство фундамента", 6, {1}},      {"Гидроизоляция фундамента", 1.5L, {2}},
    {"Возведение стен", 10, {2}},           {"Монтаж перекрытий", 4, {4}},
    {"Устройство кровли", 5, {5}},          {"Электромонтажные работы", 6, {5}},
    {"Сантехнические работы", 5, {5}},      {"Обратная засыпка и отмостка", 3, {3, 4}},
    {"Отделочные работы", 8, {6, 7, 8, 5}}, {"Благоустройство территории", 4, {9}},
    {"Сдача объекта", 1, {10, 11}},
};

} // namespace

void FillConstructionExample(TWorkList& List) {
    for (const TExampleWork& Work : Works)
        List.AddWork(TWorkData{Work.Name, Work.Days, {}}, true);
    for (int i = 0; i < List.Count(); ++i)
        for (int Before : Works[i].After)
            List.GetWork(i).Links[static_cast<std::size_t>(Before)] = LinkDirect;
    List.Changed(0, ckScheme);
}
