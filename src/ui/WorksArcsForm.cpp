#include "ui/WorksArcsForm.h"

#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "ui/LocaleText.h"
#include "ui/WindowFrame.h"

#include <QHeaderView>
#include <QScopeGuard>
#include <QTableWidget>

#include <vector>

namespace {

QStringList HeaderTexts() {
    return {QStringLiteral("Дуга"), QStringLiteral("Название работы"),
            QStringLiteral("Длительность")};
}

} // namespace

TArcWorkForm::TArcWorkForm(TWorkList& List, const TCircuitEngine& Engine, QWidget* Parent)
    : QWidget(Parent, Qt::Tool | Qt::WindowStaysOnTopHint), List(List), Engine(Engine) {
    setWindowTitle(QStringLiteral("Работы-Дуги"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    SG = new QTableWidget(0, 3, this);
    SG->setHorizontalHeaderLabels(HeaderTexts());
    SG->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SG->horizontalHeader()->setStretchLastSection(false);
    SG->horizontalHeader()->setHighlightSections(false);
    SG->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SG->horizontalHeader()->setFixedHeight(RowHeight + 1);
    SG->verticalHeader()->hide();
    SG->verticalHeader()->setMinimumSectionSize(1);
    SG->verticalHeader()->setDefaultSectionSize(RowHeight);
    SG->setColumnWidth(0, 54);
    SG->setColumnWidth(1, 198);
    SG->setColumnWidth(2, 78);
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
    for (int Column = 0; Column < 3; ++Column)
        SetCell(0, Column, Header[Column]);
    // Without a network (a contour) there are no arcs to list.
    if (List.Graph.Rows.Count() > 1 && Engine.Circuit)
        FillTable();
}

void TArcWorkForm::FillTable() {
    const TMemoryLinkObject& Circuit = *Engine.Circuit;
    const TLinkNode& R = Circuit.Get(Engine.GethALL(TypeLevelsRoot));

    // The first level object of every level number, so that the walk below
    // takes the levels in order without searching the root again for each.
    std::vector<const TLinkNode*> Levels;
    int Arcs = 0;
    for (const THandle h : R.OutLinks) {
        const TLinkNode& Level = Circuit.Get(h);
        for (const THandle m : Level.OutLinks) {
            const TLinkNode& Member = Circuit.Get(m);
            if (Member.Data && Member.Data->Arcs)
                Arcs += Member.Data->Arcs->Count();
        }
        if (!Level.Data || Level.Data->TopN < 1)
            continue;
        const auto k = static_cast<std::size_t>(Level.Data->TopN);
        if (Levels.size() <= k)
            Levels.resize(k + 1, nullptr);
        if (!Levels[k])
            Levels[k] = &Level;
    }
    SG->setRowCount(Arcs + 1);

    // One repaint for the whole table, not one per cell.
    SG->setUpdatesEnabled(false);
    const auto Repaint = qScopeGuard([this] { SG->setUpdatesEnabled(true); });
    int Row = 1;
    for (std::size_t k = 1; k < Levels.size() && Levels[k]; ++k) {
        for (const THandle eh : Levels[k]->OutLinks) {
            const TLinkNode& e = Circuit.Get(eh);
            if (e.TypeID == TypeFictiveChain || e.TypeID == TypeRealChain || !e.Data ||
                !e.Data->Arcs)
                continue;
            const QString From = QString::number(e.Data->Number) + QStringLiteral(" - ");
            for (const TMultitudeElement& x : *e.Data->Arcs) {
                const TLinkNode& To = Circuit.Get(static_cast<THandle>(x.Value));
                SetCell(Row, 0, From + QString::number(To.Data ? To.Data->Number : 0));
                SetCell(Row, 1, QString::fromStdString(List.GetWork(x.Key).Name));
                SetCell(Row, 2, DurationText(x.Weight));
                ++Row;
            }
        }
    }
}

void TArcWorkForm::FormResize() {
    SG->setGeometry(0, 0, width() - 1, height() - 1);
}

void TArcWorkForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    FormResize();
}
