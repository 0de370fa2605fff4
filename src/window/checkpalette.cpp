#include "window/checkpalette.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QBoxLayout>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>

#include "colour/palettecheck.h"
#include "window/texts.h"

namespace window {

namespace {

// The columns before the verdicts, which follow in the order of kCriteria.
enum Column { kPair, kSample, kText, kBackground, kRatio, kFirstVerdict };
constexpr int kColumns = kFirstVerdict + static_cast<int>(colour::kCriteria.size());

// The verdicts' column heads, in the order of kCriteria, short enough for
// narrow columns; their full names are the heads' tooltips and accessible
// names.
constexpr std::array<const char*, colour::kCriteria.size()> kVerdictHeads = {
    "Normal text\nAA 4.5:1", "Normal text\nAAA 7:1", "Large text\nAA 3:1", "Large text\nAAA 4.5:1",
    "UI components\n3:1"};

// The role the table sorts by: the ratio for the ratio and the verdicts
// (each follows the ratio), the palette's order for the pair's name.
constexpr int kSortRole = Qt::UserRole;

QString Hex(colour::ColourWord word) {
  return QString::fromStdString(colour::CssHex(word));
}

QString RatioShown(double ratio) {
  return QString::fromStdString(colour::RatioText(ratio)) + QStringLiteral(":1");
}

}  // namespace

// One row per pair, in the palette's order (the swatches, then the preview);
// the view shows them sorted, the preview first until another order is chosen.
class CheckPalette::Model : public QAbstractTableModel {
 public:
  explicit Model(QObject* parent) : QAbstractTableModel(parent) {}

  void SetAll(const colour::PaletteColours& colours) {
    for (std::size_t i = 0; i < colours.size(); ++i) rows_[i] = colour::CheckPair(i, colours[i]);
    emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
  }

  void Set(std::size_t index, colour::ColourPair pair) {
    if (rows_[index].pair == pair) return;
    rows_[index] = colour::CheckPair(index, pair);
    const int row = static_cast<int>(index);
    emit dataChanged(this->index(row, 0), this->index(row, kColumns - 1));
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumns;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const colour::PairCheck& row = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (column >= kFirstVerdict) {
      return Verdict(row, colour::kCriteria[static_cast<std::size_t>(column - kFirstVerdict)],
                     role);
    }
    const QString name = QString::fromStdString(colour::PairName(row.index));
    switch (role) {
      case Qt::DisplayRole:
        switch (column) {
          case kPair:
            return name;
          case kSample:
            return QStringLiteral("Aa");
          case kText:
            return Hex(row.pair.text);
          case kBackground:
            return Hex(row.pair.background);
          default:
            return RatioShown(row.ratio);
        }
      case Qt::AccessibleTextRole:
        switch (column) {
          case kPair:
            return name;
          case kSample:
            return QStringLiteral("%1: sample text %2 on %3")
                .arg(name, Hex(row.pair.text), Hex(row.pair.background));
          case kText:
            return QStringLiteral("Text %1").arg(Hex(row.pair.text));
          case kBackground:
            return QStringLiteral("Background %1").arg(Hex(row.pair.background));
          default:
            return QStringLiteral("Contrast %1 to 1")
                .arg(QString::fromStdString(colour::RatioText(row.ratio)));
        }
      case Qt::ForegroundRole:
        if (column == kSample) return Drawn(row.pair.text);
        return {};
      case Qt::BackgroundRole:
        if (column == kSample) return Drawn(row.pair.background);
        return {};
      case Qt::TextAlignmentRole:
        if (column == kRatio) return int(Qt::AlignRight | Qt::AlignVCenter);
        if (column == kSample) return int(Qt::AlignCenter);
        return {};
      case kSortRole:
        switch (column) {
          case kPair:
          case kSample:
            // The preview before the swatches.
            return row.index == colour::kSwatchCount ? -1 : static_cast<int>(row.index);
          case kText:
            return Hex(row.pair.text);
          case kBackground:
            return Hex(row.pair.background);
          default:
            return row.ratio;
        }
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    if (section < kFirstVerdict) {
      static const std::array<QString, kFirstVerdict> heads = {
          QStringLiteral("Pair"), QStringLiteral("Sample"), QStringLiteral("Text"),
          QStringLiteral("Background"), QStringLiteral("Ratio")};
      return role == Qt::DisplayRole ? heads[static_cast<std::size_t>(section)] : QVariant();
    }
    const colour::Criterion& criterion =
        colour::kCriteria[static_cast<std::size_t>(section - kFirstVerdict)];
    switch (role) {
      case Qt::DisplayRole:
        return Text(kVerdictHeads[static_cast<std::size_t>(section - kFirstVerdict)]);
      case Qt::AccessibleTextRole:
      case Qt::ToolTipRole:
        return QString::fromStdString(colour::CriterionName(criterion));
      default:
        return {};
    }
  }

 private:
  static QColor Drawn(colour::ColourWord word) {
    return QColor(colour::ColorPart(word, 0), colour::ColorPart(word, 1),
                  colour::ColorPart(word, 2));
  }

  // A verdict in words and with a mark, and in bold when it fails, so that
  // it never rests on colour.
  static QVariant Verdict(const colour::PairCheck& row, const colour::Criterion& criterion,
                          int role) {
    const bool passes = row.verdicts.*criterion.passes;
    switch (role) {
      case Qt::DisplayRole:
        return passes ? QStringLiteral("\u2713 Pass") : QStringLiteral("\u2717 Fail");
      case Qt::AccessibleTextRole:
        return QStringLiteral("%1: %2").arg(
            QString::fromStdString(colour::CriterionName(criterion)),
            passes ? QStringLiteral("pass") : QStringLiteral("fail"));
      case Qt::FontRole: {
        if (passes) return {};
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
      case kSortRole:
        return row.ratio;
      default:
        return {};
    }
  }

  std::array<colour::PairCheck, colour::kSwatchCount + 1> rows_{};
};

namespace {

// The sample keeps its pair when its row is selected, framed in the
// highlight colour instead of filled with it.
class SampleDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, plain, index);
    if (option.state & QStyle::State_Selected) {
      painter->save();
      painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
      painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
      painter->restore();
    }
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->font.setBold(true);
  }
};

}  // namespace

CheckPalette::CheckPalette(QWidget* owner, const QList<QAction*>& makeReadable, Commands commands)
    // A dialog closes on Escape from wherever the focus is inside it.
    : window_(new QDialog(owner)) {
  QWidget* window = window_;
  window->setObjectName(QStringLiteral("CheckPalette"));
  window->setWindowTitle(QStringLiteral("Check Palette"));
  window->setAccessibleName(QStringLiteral("Check Palette"));
  model_ = new Model(window);

  auto* sorted = new QSortFilterProxyModel(window);
  sorted->setSourceModel(model_);
  sorted->setSortRole(kSortRole);
  auto* table = new QTableView(window);
  table->setObjectName(QStringLiteral("pairs"));
  table->setAccessibleName(QStringLiteral("Pairs and their contrast"));
  table->setModel(sorted);
  table->setItemDelegateForColumn(kSample, new SampleDelegate(table));
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSortingEnabled(true);
  table->sortByColumn(kPair, Qt::AscendingOrder);
  table->verticalHeader()->hide();
  table->setWordWrap(false);
  // Enter, or a double-click, on a swatch's row recalls it; the preview's
  // row has nothing to recall.
  QObject::connect(table, &QAbstractItemView::activated, window,
                   [sorted, recall = std::move(commands.recall)](const QModelIndex& index) {
                     const auto swatch = static_cast<std::size_t>(sorted->mapToSource(index).row());
                     if (swatch < colour::kSwatchCount) recall(swatch);
                   });

  auto* makeAll = new QPushButton(QStringLiteral("Make All Readable"), window);
  auto* menu = new QMenu(makeAll);
  menu->addActions(makeReadable);
  makeAll->setMenu(menu);
  window->addActions(makeReadable);
  auto* save = new QPushButton(QStringLiteral("Save Report\u2026"), window);
  QObject::connect(save, &QPushButton::clicked, window, std::move(commands.saveReport));
  auto* close = new QPushButton(QStringLiteral("Close"), window);
  QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
  // Enter belongs to the table, where it recalls: no button is the default.
  for (QPushButton* button : {makeAll, save, close}) button->setAutoDefault(false);
  status_ = new QLabel(window);
  status_->setObjectName(QStringLiteral("status"));
  status_->setWordWrap(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status_, 1);
  buttons->addWidget(makeAll);
  buttons->addWidget(save);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(table, 1);
  layout->addLayout(buttons);

  // Sized to show every column and row without scrolling, measured with the
  // widest texts a row can hold: 21.00:1, and a failing verdict in bold.
  colour::PaletteColours widest{};
  for (std::size_t i = 0; i < widest.size(); i += 2) widest[i].background = 0x00FFFFFF;
  model_->SetAll(widest);
  table->resizeColumnsToContents();
  table->resizeRowsToContents();
  const QMargins margins = layout->contentsMargins();
  const int frame = 2 * table->frameWidth();
  window->resize(table->horizontalHeader()->length() + frame + margins.left() + margins.right(),
                 table->horizontalHeader()->height() + table->verticalHeader()->length() + frame +
                     layout->spacing() + buttons->sizeHint().height() + margins.top() +
                     margins.bottom());
}

CheckPalette::~CheckPalette() {
  delete window_;
}

void CheckPalette::Show(const colour::PaletteColours& colours) {
  model_->SetAll(colours);
  window_->show();
  window_->raise();
  window_->activateWindow();
}

bool CheckPalette::IsOpen() const {
  return window_ && window_->isVisible();
}

void CheckPalette::SetPair(std::size_t index, colour::ColourPair pair) {
  if (IsOpen()) model_->Set(index, pair);
}

void CheckPalette::Tell(const QString& text) {
  status_->setText(text);
}

QWidget* CheckPalette::widget() const {
  return window_;
}

}  // namespace window
