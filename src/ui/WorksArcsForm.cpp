#include "ui/WorksArcsForm.h"

#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "network/NetworkView.h"
#include "ui/LocaleText.h"
#include "ui/WindowFrame.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTableWidget>


namespace {

QStringList HeaderTexts() {
    return {QStringLiteral("Дуга"),           QStringLiteral("Название работы"),
            QStringLiteral("Длительность"),   QStringLiteral("Раннее начало"),
            QStringLiteral("Раннее окончание"), QStringLiteral("Позднее начало"),
            QStringLiteral("Позднее окончание"), QStringLiteral("Полный резерв"),
            QStringLiteral("Свободный резерв")};
}

constexpr int ColumnCount = 9;
// The first three columns keep their widths; the schedule's are as wide as
// their captions need.
constexpr int FirstWidths[] = {54, 198, 78};

} // namespace

TArcWorkForm::TArcWorkForm(TWorkList& List, const TCircuitEngine& Engine, QWidget* Parent)
    : QWidget(Parent, Qt::Tool | Qt::WindowStaysOnTopHint), List(List), Engine(Engine) {
    setWindowTitle(QStringLiteral("Работы-Дуги"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    SG = new QTableWidget(0, ColumnCount, this);
    SG->setHorizontalHeaderLabels(HeaderTexts());
    SG->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SG->horizontalHeader()->setStretchLastSection(false);
    SG->horizontalHeader()->setHighlightSections(false);
    SG->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SG->horizontalHeader()->setFixedHeight(RowHeight + 1);
    SG->verticalHeader()->hide();
    SG->verticalHeader()->setMinimumSectionSize(1);
    SG->verticalHeader()->setDefaultSectionSize(RowHeight);
    const QFontMetrics Metrics(SG->font());
    const QStringList Header = HeaderTexts();
    for (int Column = 0; Column < ColumnCount; ++Column)
        SG->setColumnWidth(Column, Column < 3 ? FirstWidths[Column]
                                              : Metrics.horizontalAdvance(Header[Column]) + 12);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Outer 363 x 115 at (197, 117).
    resize(ClientSizeOf(363, 115));
    move(197, 117);
    FormResize();
    FormCreate();
}

void TArcWorkForm::FormCreate() {
    List.AddListener([this](TWorkList&, std::int32_t, std::int32_t Kind) {
        if (Kind != ckQuietAdd)
            RefreshTable();
    });
}

bool TArcWorkForm::HeaderFixed() const {
    return !SG->horizontalHeader()->isHidden();
}

int TArcWorkForm::RowCount() const {
    return SG->rowCount() + (HeaderFixed() ? 1 : 0);
}

QString TArcWorkForm::Cell(int Column, int Row) const {
    if (HeaderFixed()) {
        if (Row == 0) {
            const QTableWidgetItem* Item = SG->horizontalHeaderItem(Column);
            return Item ? Item->text() : QString();
        }
        --Row;
    }
    const QTableWidgetItem* Item = SG->item(Row, Column);
    return Item ? Item->text() : QString();
}

void TArcWorkForm::SetCell(int Row, int Column, const QString& Text) {
    SG->setItem(Row, Column, new QTableWidgetItem(Text));
}

void TArcWorkForm::RefreshTable() {
    // Cut to a single row, the grid loses its fixed row: the header becomes
    // an ordinary row that scrolls with the arcs.
    SG->horizontalHeader()->hide();
    SG->clearContents();
    SG->setRowCount(1);
    const QStringList Header = HeaderTexts();
    for (int Column = 0; Column < ColumnCount; ++Column)
        SetCell(0, Column, Header[Column]);
    // Without a network (a contour) there are no arcs to list.
    if (Engine.Result().HasNetwork)
        FillTable();
}

void TArcWorkForm::FillTable() {
    const TNetworkView& View = Engine.Result();
    SG->setRowCount(static_cast<int>(View.RealArcCount) + 1);

    // One repaint for the whole table, not one per cell.
    SG->setUpdatesEnabled(false);
    const auto Repaint = qScopeGuard([this] { SG->setUpdatesEnabled(true); });
    const auto Number = [&View](std::int32_t Event) {
        return Event < 0 ? 0 : View.Events[static_cast<std::size_t>(Event)].Number;
    };
    for (std::size_t a = 0; a < View.RealArcCount; ++a) {
        const TViewArc& Arc = View.Arcs[a];
        const int Row = static_cast<int>(a) + 1;
        SetCell(Row, 0, QString::number(Number(Arc.From)) + QStringLiteral(" - ") +
                            QString::number(Number(Arc.To)));
        SetCell(Row, 1, QString::fromStdString(List.GetWork(Arc.Work).Name));
        SetCell(Row, 2, DurationText(Arc.Duration));
        if (!View.Schedule.Valid)
            continue;
        const TWorkTimes& t = View.Schedule.Works[static_cast<std::size_t>(Arc.Work)];
        const TReal Times[] = {t.EarlyStart, t.EarlyFinish, t.LateStart,
                               t.LateFinish, t.TotalFloat,  t.FreeFloat};
        for (int k = 0; k < 6; ++k)
            SetCell(Row, 3 + k, DurationText(Times[k]));
        if (t.Critical)
            for (int Column = 0; Column < ColumnCount; ++Column)
                SG->item(Row, Column)->setForeground(QColor(255, 0, 0));
    }
    FitToRows();
}

void TArcWorkForm::FitToRows() {
    // Only a window not yet shown is sized: one the user has seen keeps the
    // size they left it at.
    if (isVisible())
        return;
    int Width = 2 * SG->frameWidth() + SG->verticalScrollBar()->sizeHint().width();
    for (int Column = 0; Column < ColumnCount; ++Column)
        Width += SG->columnWidth(Column);
    const int Height = 2 * SG->frameWidth() + RowHeight * (SG->rowCount() + 1) + 1;
    const QSize Largest = LargestClientSize(*this);
    resize(QSize(Width, Height).expandedTo(ClientSizeOf(363, 115)).boundedTo(Largest));
}

void TArcWorkForm::FormResize() {
    SG->setGeometry(0, 0, width() - 1, height() - 1);
}

void TArcWorkForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    FormResize();
}
