#include "ui/ResourcesDialog.h"

#include "model/RealText.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/EditHistory.h"
#include "ui/LocaleText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace {

constexpr int NameColumn = 0;
constexpr int UnitColumn = 1;
constexpr int AvailabilityColumn = 2;

constexpr std::string_view EmptyName = "Укажите наименование ресурса";
constexpr std::string_view LongName =
    "Наименование ресурса слишком длинное (не более 255 байт в UTF-8)";
constexpr std::string_view LongUnit =
    "Единица измерения ресурса слишком длинная (не более 255 байт в UTF-8)";
// The resource's name goes between them.
constexpr std::string_view BadAvailabilityOf = "Наличие ресурса «";
constexpr std::string_view BadAvailabilityRule =
    "» — число единиц от 0 до 1e15 (дробная часть через запятую или точку)";
constexpr std::string_view TooManyResources = "В схеме не может быть больше 1000 ресурсов";
static_assert(MaxResources == 1000);

QString Text(const QTableWidget& Table, int Row, int Column) {
    const QTableWidgetItem* Item = Table.item(Row, Column);
    return Item ? Item->text() : QString();
}

void SetRow(QTableWidget& Table, int Row, const TResource& Resource) {
    Table.setItem(Row, NameColumn, new QTableWidgetItem(QString::fromStdString(Resource.Name)));
    Table.setItem(Row, UnitColumn, new QTableWidgetItem(QString::fromStdString(Resource.Unit)));
    auto* Availability = new QTableWidgetItem(DurationText(Resource.Availability));
    Availability->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Table.setItem(Row, AvailabilityColumn, Availability);
}

} // namespace

std::string DeleteDemandedQuestion(const std::string& Name, int Works) {
    // 1, 21, 31…: "работе"; every other count: "работам".
    const bool One = Works % 10 == 1 && Works % 100 != 11;
    return "Ресурс «" + Name + "» нужен " + std::to_string(Works) + (One ? " работе" : " работам") +
           ". Удалить его вместе с потребностями работ в нём?";
}

TResourcesDialog::TResourcesDialog(const TWorkList& List, TEditHistory& History, TDialogs& Dialogs,
                                   QWidget* Parent)
    : QDialog(Parent), List(List), History(History), Dialogs(Dialogs) {
    setWindowTitle(QStringLiteral("Ресурсы"));
    auto* Layout = new QVBoxLayout(this);
    Table = new QTableWidget(0, 3, this);
    Table->setHorizontalHeaderLabels(
        {QStringLiteral("Наименование"), QStringLiteral("Единица"), QStringLiteral("Наличие")});
    Table->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    Table->setColumnWidth(UnitColumn, 80);
    Table->setColumnWidth(AvailabilityColumn, 90);
    Table->verticalHeader()->setDefaultSectionSize(20);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::AllEditTriggers);
    Layout->addWidget(Table);

    auto* Buttons = new QHBoxLayout;
    AddBtn = new QPushButton(QStringLiteral("Добавить"), this);
    DeleteBtn = new QPushButton(QStringLiteral("Удалить"), this);
    OkBtn = new QPushButton(QStringLiteral("Принять"), this);
    CancelBtn = new QPushButton(QStringLiteral("Отменить"), this);
    Buttons->addWidget(AddBtn);
    Buttons->addWidget(DeleteBtn);
    Buttons->addStretch();
    Buttons->addWidget(OkBtn);
    Buttons->addWidget(CancelBtn);
    Layout->addLayout(Buttons);
    // Enter finishes a cell; it must never close the dialog by itself.
    for (QPushButton* Button : {AddBtn, DeleteBtn, OkBtn, CancelBtn}) {
        Button->setAutoDefault(false);
        Button->setDefault(false);
    }
    connect(AddBtn, &QPushButton::clicked, this, [this] { AddBtnClick(); });
    connect(DeleteBtn, &QPushButton::clicked, this, [this] { DeleteBtnClick(); });
    connect(OkBtn, &QPushButton::clicked, this, [this] {
        if (OkBtnClick())
            accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    resize(480, 300);
    Fill();
}

void TResourcesDialog::Fill() {
    const std::vector<TResource>& Resources = List.Resources();
    Table->setRowCount(static_cast<int>(Resources.size()));
    Origin.clear();
    for (std::size_t r = 0; r < Resources.size(); ++r) {
        SetRow(*Table, static_cast<int>(r), Resources[r]);
        Origin.emplace_back(static_cast<int>(r));
    }
    if (!Resources.empty())
        Table->setCurrentCell(0, NameColumn);
}

bool TResourcesDialog::Execute() {
    Applied = false;
    Fill();
    exec();
    return Applied;
}

void TResourcesDialog::AddBtnClick() {
    if (static_cast<std::size_t>(Table->rowCount()) >= MaxResources) {
        Dialogs.Notice(TooManyResources);
        return;
    }
    const int Row = Table->rowCount();
    Table->insertRow(Row);
    SetRow(*Table, Row, TResource{});
    Origin.emplace_back();
    Table->setCurrentCell(Row, NameColumn);
    Table->editItem(Table->item(Row, NameColumn));
}

int TResourcesDialog::DemandingWorks(int Place) const {
    int Works = 0;
    for (int i = 0; i < List.Count(); ++i)
        if (List.GetWork(i).Demands.Of(static_cast<std::size_t>(Place)) != 0)
            ++Works;
    return Works;
}

void TResourcesDialog::DeleteBtnClick() {
    const int Row = Table->currentRow();
    if (Row < 0 || Row >= Table->rowCount())
        return;
    const std::optional<int> Place = Origin[static_cast<std::size_t>(Row)];
    const int Works = Place ? DemandingWorks(*Place) : 0;
    if (Works > 0 && !Dialogs.Question(DeleteDemandedQuestion(
                         List.Resources()[static_cast<std::size_t>(*Place)].Name, Works)))
        return;
    Table->removeRow(Row);
    Origin.erase(Origin.begin() + Row);
}

void TResourcesDialog::Refuse(std::string_view Text, int Row, int Column) {
    Dialogs.Notice(Text);
    Table->setCurrentCell(Row, Column);
    Table->setFocus(Qt::OtherFocusReason);
}

std::optional<std::vector<TResource>> TResourcesDialog::ReadTable() {
    std::vector<TResource> Resources;
    std::set<std::string> Names;
    for (int Row = 0; Row < Table->rowCount(); ++Row) {
        TResource Resource;
        Resource.Name = Text(*Table, Row, NameColumn).toStdString();
        Resource.Unit = Text(*Table, Row, UnitColumn).toStdString();
        if (Resource.Name.empty()) {
            Refuse(EmptyName, Row, NameColumn);
            return std::nullopt;
        }
        if (Resource.Name.size() > MaxResourceTextLength) {
            Refuse(LongName, Row, NameColumn);
            return std::nullopt;
        }
        if (!Names.insert(Resource.Name).second) {
            Refuse("Ресурс «" + Resource.Name + "» уже есть в списке", Row, NameColumn);
            return std::nullopt;
        }
        if (Resource.Unit.size() > MaxResourceTextLength) {
            Refuse(LongUnit, Row, UnitColumn);
            return std::nullopt;
        }
        // An availability left as shown keeps every digit it had, also the
        // ones past the fifteen the table shows.
        const QString Shown = Text(*Table, Row, AvailabilityColumn);
        const std::optional<int> Place = Origin[static_cast<std::size_t>(Row)];
        const TReal* Old =
            Place ? &List.Resources()[static_cast<std::size_t>(*Place)].Availability : nullptr;
        const bool Kept = Old && Shown == DurationText(*Old);
        const std::optional<TReal> Value =
            Kept ? std::optional<TReal>(*Old) : DurationFromText(Shown);
        // The bound is the table's, for what is typed: a larger availability
        // a file brought stays as it was.
        if (!Value || *Value < 0 || (!Kept && *Value > MaxDuration)) {
            Refuse(std::string(BadAvailabilityOf) + Resource.Name +
                       std::string(BadAvailabilityRule),
                   Row, AvailabilityColumn);
            return std::nullopt;
        }
        Resource.Availability = *Value == 0 ? TReal(0) : *Value;
        Resources.push_back(std::move(Resource));
    }
    return Resources;
}

bool TResourcesDialog::OkBtnClick() {
    std::optional<std::vector<TResource>> Resources = ReadTable();
    if (!Resources)
        return false;
    std::vector<int> NewPlace(List.Resources().size(), -1);
    for (std::size_t Row = 0; Row < Origin.size(); ++Row)
        if (Origin[Row])
            NewPlace[static_cast<std::size_t>(*Origin[Row])] = static_cast<int>(Row);
    // A row deleted and the same one typed anew is a change: the demands of
    // the old one go.
    bool Same = *Resources == List.Resources();
    for (std::size_t r = 0; Same && r < NewPlace.size(); ++r)
        Same = NewPlace[r] == static_cast<int>(r);
    if (Same)
        return true;
    // Every row passed the checks the scheme makes, so the history takes it.
    Applied = History.ReplaceResources(std::move(*Resources), NewPlace);
    return Applied;
}
