// The find bar over a report list or the record grid: a box whose text is
// looked for as it is typed in the rows' Number, Abonent, Code, Type and
// Roaming. The view's current row moves to the next match; Enter goes on to
// the next one, Shift+Enter back to the previous one, Escape closes the bar.
// Beside the box "k of n" counts the matches, a note says when a step went
// round an end of the list, and the view paints every matching row marked.
#pragma once

#include <QFrame>
#include <functional>
#include <optional>

#include "analysis/FindRows.h"
#include "base/Status.h"

class QAbstractItemView;
class QLabel;
class QLineEdit;
class QToolButton;

namespace zvonar {

// The bar's words, as the language file gives them.
struct FindBarTexts {
  QString caption;
  QString count;                      // %1: the match shown, %2: the matches
  QString none;                       // the text is in no row
  QString wrappedTop, wrappedBottom;  // a step went round the end, the start
  QString next, previous, close;      // the buttons' tips
};

class FindBar : public QFrame {
  Q_OBJECT

 public:
  // Reads the searched texts of the view's rows into the given FindRows,
  // in the view's row order.
  using ReadRowsFn = std::function<Status(FindRows*)>;

  // A hidden bar over `view`, whose model lays out the rows `readRows`
  // reads. The texts are read when the bar first needs them and read again
  // after the model's rows change.
  FindBar(QAbstractItemView* view, ReadRowsFn readRows, QWidget* parent);

  void SetTexts(const FindBarTexts& texts);

  // Shows the bar with the box focused and its text selected; a text left
  // in it is looked for again.
  void Open();
  // Hides the bar, unmarks the rows and gives the focus back to the view.
  void Close();

  // True while the bar is shown with a text that `row` holds.
  bool Marks(int row) const;

  QLabel* lFindCaption;
  QLineEdit* edFind;
  QToolButton* btnFindPrevious;
  QToolButton* btnFindNext;
  QLabel* lFindCount;
  QLabel* lFindWrapped;
  QToolButton* btnFindClose;

 signals:
  // The view's current row was moved to a match.
  void Moved(int row);
  // Reading the rows failed; the bar shows no matches.
  void ReadFailed(const zvonar::Status& status);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The searched texts, read now when they are not held or the view's row
  // count differs from theirs.
  void EnsureRows();
  // Looks for the box's text; false when it is empty.
  bool SearchText();
  void RowsChanged();
  void TextEdited();
  // Moves to a match `step` picks from the current row, or shows that none.
  void Step(std::optional<FindHit> (FindRows::*step)(std::size_t) const);
  void ShowHit(const std::optional<FindHit>& hit, bool backward);
  void ShowCount();
  std::size_t CurrentRow() const;
  void Repaint();

  QAbstractItemView* view_;
  ReadRowsFn readRows_;
  FindBarTexts texts_;
  std::optional<FindRows> rows_;  // none until read, and after the rows change
  bool refreshQueued_ = false;    // the rows changed while the bar is shown
};

}  // namespace zvonar
