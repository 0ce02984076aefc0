#include "ui/WorksArcsForm.h"

#include "model/Calendar.h"
#include "model/RealText.h"
#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "network/Analysis.h"
#include "ui/Analyser.h"
#include "ui/LocaleText.h"
#include "ui/WindowFrame.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QColor>
#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTime>

#include <algorithm>

namespace {

QStringList HeaderTexts() {
    return {QStringLiteral("Дуга"),
            QStringLiteral("Название работы"),
            QStringLiteral("Длительность"),
            QStringLiteral("Раннее начало"),
            QStringLiteral("Раннее окончание"),
            QStringLiteral("Позднее начало"),
            QStringLiteral("Позднее окончание"),
            QStringLiteral("Полный резерв"),
            QStringLiteral("Свободный резерв")};
}

constexpr int ColumnCount = 9;
// The first three columns are at least this wide; every column is as wide as
// its caption needs, so that no caption is cut.
constexpr int FirstWidths[] = {54, 198, 78};

} // namespace

// The table's cells, read from the diagram window's result when they are
// shown: a refill only says how many rows there are, so that a table of
// thousands of arcs costs no more than the rows on the screen.
class TArcTableModel : public QAbstractTableModel {
public:
    explicit TArcTableModel(QObject* Parent) : QAbstractTableModel(Parent), Header(HeaderTexts()) {}

    // Row 0 holds the captions once the table has been filled.
    // The decimal separator is the one in force at the refill, as the
    // texts of a filled table would have it.
    void Reset(int NewRows, std::shared_ptr<const TAnalysis> Made,
               const std::optional<TCalendar>& Calendar, bool ShowDates) {
        beginResetModel();
        Rows = NewRows;
        Shown = std::move(Made);
        Separator = DecimalSeparator();
        Clock.reset();
        if (ShowDates && Calendar && !CalendarProblem(*Calendar))
            Clock.emplace(*Calendar);
        endResetModel();
    }
    bool ShowsDates() const { return Clock.has_value(); }

    int rowCount(const QModelIndex& Parent = {}) const override {
        return Parent.isValid() ? 0 : Rows;
    }
    int columnCount(const QModelIndex& Parent = {}) const override {
        return Parent.isValid() ? 0 : ColumnCount;
    }

    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override {
        if (Orientation == Qt::Horizontal && Role == Qt::DisplayRole && Section >= 0 &&
            Section < ColumnCount)
            return Header[Section];
        return {};
    }

    QVariant data(const QModelIndex& Index, int Role) const override {
        if (!Index.isValid() || (Role != Qt::DisplayRole && Role != Qt::ForegroundRole))
            return {};
        const int Row = Index.row();
        const int Column = Index.column();
        if (Row == 0)
            return Role == Qt::DisplayRole ? QVariant(Header[Column]) : QVariant();
        if (!Shown)
            return {};
        const TNetworkView& View = Shown->View();
        const std::vector<std::string>& Names = Shown->Scheme->Names;
        const auto a = static_cast<std::size_t>(Row - 1);
        if (a >= View.RealArcCount)
            return {};
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.Work < 0 || Arc.Work >= static_cast<std::int32_t>(Names.size()))
            return {};
        const TWorkTimes* Times = View.Schedule.Valid
                                      ? &View.Schedule.Works[static_cast<std::size_t>(Arc.Work)]
                                      : nullptr;
        if (Role == Qt::ForegroundRole)
            return Times && Times->Critical ? QVariant(QColor(255, 0, 0)) : QVariant();
        const auto Number = [&View](std::int32_t Event) {
            return Event < 0 ? 0 : View.Events[static_cast<std::size_t>(Event)].Number;
        };
        switch (Column) {
        case 0:
            return QString::number(Number(Arc.From)) + QStringLiteral(" - ") +
                   QString::number(Number(Arc.To));
        case 1:
            return QString::fromStdString(Names[static_cast<std::size_t>(Arc.Work)]);
        case 2:
            return Text(Arc.Duration);
        default:
            break;
        }
        if (!Times)
            return {};
        const TReal Values[] = {Times->EarlyStart, Times->EarlyFinish, Times->LateStart,
                                Times->LateFinish, Times->TotalFloat,  Times->FreeFloat};
        if (Clock && Column <= 6) {
            // Starts and finishes on the edge of a working period are shown
            // as the next period's start and the last one's end.
            const bool Finish = Column == 4 || Column == 6;
            const TReal Day = Values[Column - 3];
            if (const std::optional<TMoment> At =
                    Finish ? Clock->FinishOf(Day) : Clock->StartOf(Day))
                return MomentText(*At);
        }
        return Text(Values[Column - 3]);
    }

    QString Text(TReal Value) const { return QString::fromStdString(FormatReal(Value, Separator)); }

private:
    std::shared_ptr<const TAnalysis> Shown;
    const QStringList Header;
    int Rows = 0;
    char Separator = '.';
    std::optional<TCalendarClock> Clock;
};

TArcWorkForm::TArcWorkForm(TAnalyser& Analyser, QWidget* Parent)
    : QWidget(Parent, Qt::Tool | Qt::WindowStaysOnTopHint), Analyser(Analyser) {
    UpdateTitle();
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    Model = new TArcTableModel(this);
    SG = new QTableView(this);
    SG->setModel(Model);
    SG->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SG->horizontalHeader()->setStretchLastSection(false);
    SG->horizontalHeader()->setHighlightSections(false);
    SG->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SG->horizontalHeader()->setFixedHeight(RowHeight + 1);
    SG->verticalHeader()->hide();
    SG->verticalHeader()->setMinimumSectionSize(1);
    SG->verticalHeader()->setDefaultSectionSize(RowHeight);
    SG->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const QFontMetrics Metrics(SG->font());
    const QStringList Header = HeaderTexts();
    for (int Column = 0; Column < ColumnCount; ++Column)
        SG->setColumnWidth(Column, std::max(Column < 3 ? FirstWidths[Column] : 0,
                                            Metrics.horizontalAdvance(Header[Column]) + 12));
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Outer 363 x 115 at (197, 117).
    resize(ClientSizeOf(363, 115));
    move(197, 117);
    FormResize();
    FormCreate();
}

void TArcWorkForm::FormCreate() {
    // Dates or day numbers in the start and finish columns, where the
    // scheme has a calendar.
    DatesAction = new QAction(QStringLiteral("Даты вместо номеров дней"), this);
    DatesAction->setCheckable(true);
    DatesAction->setChecked(true);
    connect(DatesAction, &QAction::toggled, this, [this] { RefreshTable(); });
    SG->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SG, &QWidget::customContextMenuRequested, this, [this](QPoint At) {
        QMenu Menu(this);
        Menu.addMenu(QStringLiteral("Вид"))->addAction(DatesAction);
        Menu.exec(SG->viewport()->mapToGlobal(At));
    });
    connect(&Analyser, &TAnalyser::Ready, this, [this] { RefreshTable(); });
    connect(&Analyser, &TAnalyser::BusyChanged, this, [this] { UpdateTitle(); });
}

void TArcWorkForm::UpdateTitle() {
    setWindowTitle(Analyser.Busy() ? QStringLiteral("Работы-Дуги (обновляется…)")
                                   : QStringLiteral("Работы-Дуги"));
}

bool TArcWorkForm::HeaderFixed() const {
    return !SG->horizontalHeader()->isHidden();
}

int TArcWorkForm::RowCount() const {
    return Model->rowCount() + (HeaderFixed() ? 1 : 0);
}

QString TArcWorkForm::Cell(int Column, int Row) const {
    if (HeaderFixed()) {
        if (Row == 0)
            return Model->headerData(Column, Qt::Horizontal, Qt::DisplayRole).toString();
        --Row;
    }
    return Model->index(Row, Column).data().toString();
}

bool TArcWorkForm::RowRed(int Row) const {
    if (HeaderFixed())
        --Row;
    return Model->index(Row, 0).data(Qt::ForegroundRole).value<QColor>() == QColor(255, 0, 0);
}

void TArcWorkForm::RefreshTable() {
    // From the first refresh on, the grid has no fixed row: the header is an
    // ordinary row that scrolls with the arcs. Without a network (a contour,
    // fewer than two works) there are no arcs to list.
    SG->horizontalHeader()->hide();
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    Model->Reset(1, Made, std::nullopt, false);
    if (Made && Made->View().HasNetwork)
        FillTable();
}

void TArcWorkForm::FillTable() {
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    Model->Reset(Made ? static_cast<int>(Made->View().RealArcCount) + 1 : 1, Made,
                 Made ? Made->Scheme->Calendar : std::nullopt, DatesAction->isChecked());
    if (Model->ShowsDates()) {
        // A date column is as wide as a date needs.
        const QFontMetrics Metrics(SG->font());
        const int Wide = Metrics.horizontalAdvance(MomentText(
                             {TCivilDate::FromYmd(2027, 12, 28), 23 * 60 + 58})) +
                         12;
        for (int Column = 3; Column <= 6; ++Column)
            SG->setColumnWidth(Column, std::max(SG->columnWidth(Column), Wide));
    }
    FitToRows();
}

bool TArcWorkForm::ShowsDates() const {
    return Model->ShowsDates();
}

void TArcWorkForm::FitToRows() {
    // Only a window not yet shown is sized, and only until the user gives
    // it a size: then it keeps theirs, shown or hidden.
    if (isVisible() || Geometry.Touched())
        return;
    int Width = 2 * SG->frameWidth() + SG->verticalScrollBar()->sizeHint().width();
    for (int Column = 0; Column < ColumnCount; ++Column)
        Width += SG->columnWidth(Column);
    const int Height = 2 * SG->frameWidth() + RowHeight * (Model->rowCount() + 1) + 1;
    const QSize Largest = LargestClientSize(*this);
    const QSize Own = QSize(Width, Height).expandedTo(ClientSizeOf(363, 115)).boundedTo(Largest);
    Geometry.Resizing(Own);
    resize(Own);
}

void TArcWorkForm::FormResize() {
    SG->setGeometry(0, 0, width() - 1, height() - 1);
}

void TArcWorkForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    Geometry.Resized(*this, *Event);
    FormResize();
}

void TArcWorkForm::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    Geometry.Moved(*this, *Event);
}

void TArcWorkForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    Geometry.Shown();
}
