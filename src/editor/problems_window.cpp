#include "editor/problems_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/dialog.h"

namespace kel {

namespace {

// The grid cell where a problem is mended: its frame's column in the row of its kind.
GridCell CellOf(const Problem& p) {
  if (p.frame <= 0) return {};
  switch (p.row) {
    case ProblemRow::Image:
      return {p.frame, kRowImage};
    case ProblemRow::Mask:
      return {p.frame, kRowMask};
    case ProblemRow::Sound:
      return {p.frame, kRowSound};
    case ProblemRow::Location:
      return {p.frame, kRowX};
    case ProblemRow::Object:
      break;
  }
  return {};
}

}  // namespace

ProblemsWindow::ProblemsWindow(Document& doc, ObKELDialog& form, QWidget* parent)
    : QWidget(parent, Qt::Tool), doc_(doc), form_(form) {
  setObjectName(QStringLiteral("ProblemsWindow"));
  setWindowTitle(QStringLiteral("検査"));
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("ProblemsSummary"));
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("ProblemsList"));
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels(
      {QStringLiteral("オブジェクト"), QStringLiteral("フレーム"), QStringLiteral("内容")});
  list_->header()->setStretchLastSection(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(list_);
  resize(520, 260);

  connect(list_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { ShowEntry(list_->indexOfTopLevelItem(item)); });
  connect(list_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { ShowEntry(list_->indexOfTopLevelItem(item)); });

  // Every change of the document may mend or make a problem; a run of changes is checked once.
  recheck_.setSingleShot(true);
  recheck_.setInterval(50);
  connect(&recheck_, &QTimer::timeout, this, [this] {
    if (isVisible()) Recheck();
  });
  auto later = [this] { recheck_.start(); };
  connect(&doc_, &Document::objectInserted, this, later);
  connect(&doc_, &Document::objectRemoved, this, later);
  connect(&doc_, &Document::objectRenamed, this, later);
  connect(&doc_, &Document::listReset, this, later);
  connect(&doc_, &Document::paramsChanged, this, later);
  connect(&doc_, &Document::slotsChanged, this, later);
  connect(&doc_, &Document::framesChanged, this, later);
  connect(&doc_, &Document::locationsChanged, this, later);
  connect(&doc_, &Document::soundChanged, this, later);
}

void ProblemsWindow::showEvent(QShowEvent* e) {
  // Hidden, the window did not follow the document: it lists what is there now.
  Recheck();
  QWidget::showEvent(e);
}

void ProblemsWindow::Recheck() {
  problems_ = FindProblems(doc_.Objects());
  list_->clear();
  for (const Problem& p : problems_) {
    const auto& sprite = doc_.Objects()[size_t(p.object)];
    auto* item = new QTreeWidgetItem({ObjectName(*sprite),
                                      p.frame > 0 ? QString::number(p.frame) : QString(),
                                      QString::fromStdString(p.message)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list_->addTopLevelItem(item);
  }
  list_->resizeColumnToContents(0);
  list_->resizeColumnToContents(1);
  summary_->setText(problems_.empty()
                        ? QStringLiteral("問題は見つかりませんでした。")
                        : QStringLiteral("%1 件の問題が見つかりました。項目をクリックすると、"
                                         "そのオブジェクトとセルを表示します。")
                              .arg(problems_.size()));
}

bool ProblemsWindow::ShowEntry(int i) {
  if (i < 0 || size_t(i) >= problems_.size()) return false;
  const Problem& p = problems_[size_t(i)];
  return form_.ShowObjectAt(p.object, CellOf(p));
}

}  // namespace kel
