// The problems check's window ("検査"): what will look or sound wrong in the player although the
// file is valid, listed per object and frame. It follows the document (an edit that mends or
// makes a problem shows in the list at once), and a click on an entry shows its object with its
// cell active in the form.
#pragma once

#include <QTimer>
#include <QWidget>
#include <vector>

#include "document/document.h"
#include "model/problems.h"

class QLabel;
class QTreeWidget;

namespace kel {

class ObKELDialog;

class ProblemsWindow : public QWidget {
  Q_OBJECT
 public:
  // doc and form outlive the window; parent: the main window it stays beside.
  ProblemsWindow(Document& doc, ObKELDialog& form, QWidget* parent);

  // Lists the document's problems now (the window does it by itself when it shows and, while
  // shown, after each change).
  void Recheck();
  // Shows entry i's object in the form, with the entry's cell active. false when the form
  // cannot leave the object shown (it has said why).
  bool ShowEntry(int i);

  QTreeWidget* List() const { return list_; }
  QLabel* Summary() const { return summary_; }
  const std::vector<Problem>& Problems() const { return problems_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  Document& doc_;
  ObKELDialog& form_;
  QTreeWidget* list_;
  QLabel* summary_;
  QTimer recheck_;
  std::vector<Problem> problems_;
};

}  // namespace kel
