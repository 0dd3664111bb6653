#include "backends/qt/qt_toolkit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

// Q_INIT_RESOURCE declares a function and must stand outside any namespace.
static void init_veltrane_resources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(veltrane);
    return true;
  }();
  (void)done;
}

namespace veltrane {
namespace {

QString qstring(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Dialog units are rounded the way the platform's dialog manager rounds them: to the nearest
// pixel, halves away from zero.
int scale(int units, int numerator, int denominator) {
  return static_cast<int>(std::lround(static_cast<double>(units) * numerator / denominator));
}

Qt::WindowFlags frame_flags(DialogFrame frame) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (frame == DialogFrame::title_menu_close)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

// A text box drawn as the platform's themed edit control: a one-pixel border, the line of text
// centred in what lies inside it. Qt's own frame and margins take so much of a box ten dialog
// units high that the descenders of g, j, p, q, y and _ fall below the visible area.
class TextBox final : public QLineEdit {
 public:
  TextBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setFrame(false);
    setTextMargins(border_px, border_px, border_px, border_px);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    {
      QPainter painter(this);
      painter.fillRect(rect(), palette().brush(QPalette::Base));
    }
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(hasFocus() ? palette().color(QPalette::Highlight)
                              : palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -border_px, -border_px));
  }

 private:
  static constexpr int border_px = 1;
};

class QtDialog final : public QDialog, public Dialog {
 public:
  QtDialog(const DialogDescription& description, QWidget* parent, const DialogHandler& handler)
      : QDialog(parent, frame_flags(description.frame)), handler_(handler) {
    setWindowTitle(QString::fromUtf8(description.title));
    setFont(dialog_font());
    const DialogUnits units = DialogUnits::of(font());
    const QPoint origin = parent ? parent->mapToGlobal(QPoint(0, 0))
                                 : QGuiApplication::primaryScreen()->geometry().topLeft();
    const QRect client =
        units.to_pixels(description.x, description.y, description.width, description.height);
    setGeometry(client.translated(origin));
    setFixedSize(client.size());
    QButtonGroup* group = nullptr;
    for (const ControlDescription& control : description.controls) {
      if (control.group_start) group = nullptr;
      QWidget* widget = create_control(control, group);
      widget->setObjectName(control_object_name(control.id));
      widget->setGeometry(units.to_pixels(control.x, control.y, control.width, control.height));
      controls_.emplace_back(control.id, widget);
    }
    name_text_boxes(description);
  }

  // Runs the dialog modally, unless the handler ended it while it was being initialised.
  int run() {
    deliver(DialogEventKind::init);
    if (ended_) return result();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    return exec();
  }

  std::string get_text(int id) const override {
    QWidget* widget = control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    return {};
  }

  int get_check(int id) const override {
    auto* option = qobject_cast<QRadioButton*>(control(id));
    return option && option->isChecked() ? 1 : 0;
  }

  void set_text(int id, std::string_view text) override {
    QWidget* widget = control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      edit->setText(qstring(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setText(qstring(text));
      for (const auto& [box, caption] : captions_)
        if (caption == id) control(box)->setAccessibleName(label->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      button->setText(qstring(text));
    }
  }

  void set_title(std::string_view title) override { setWindowTitle(qstring(title)); }

  void set_option(int first, int last, int checked) override {
    for (const auto& [id, widget] : controls_) {
      auto* option = qobject_cast<QRadioButton*>(widget);
      if (!option || id < first || id > last) continue;
      // An exclusive group refuses to clear its checked button; lift that for the moment.
      QButtonGroup* group = option->group();
      if (group) group->setExclusive(false);
      option->setChecked(id == checked);
      if (group) group->setExclusive(true);
    }
  }

  void set_icon(std::string_view name) override { setWindowIcon(named_icon(name)); }

  int get_focus() const override {
    const QWidget* focused = isEnabled() ? focusWidget() : focus_while_disabled_.data();
    for (const auto& [id, widget] : controls_)
      if (widget == focused) return id;
    return 0;
  }

  void set_focus(int id) override {
    QWidget* widget = control(id);
    if (!widget) return;
    if (isEnabled()) {
      widget->setFocus(Qt::OtherFocusReason);
    } else {
      focus_while_disabled_ = widget;
    }
  }

  // Disabling a Qt window drops the keyboard focus of its controls. The platform's windows
  // keep it, and the focus memory relies on that, so the focus is held here meanwhile.
  void set_enabled(bool enabled) override {
    if (enabled == isEnabled()) return;
    if (!enabled) {
      focus_while_disabled_ = focusWidget();
      setEnabled(false);
      return;
    }
    setEnabled(true);
    if (focus_while_disabled_) focus_while_disabled_->setFocus(Qt::OtherFocusReason);
    focus_while_disabled_ = nullptr;
  }

  void end_dialog(int result) override {
    ended_ = true;
    done(result);
  }

  // Escape ends nothing.
  void reject() override {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::WindowActivate) {
      deliver(DialogEventKind::activated);
    } else if (event->type() == QEvent::WindowDeactivate) {
      deliver(DialogEventKind::deactivated);
    }
    return QDialog::event(event);
  }

  // Tab and Shift+Tab visit every control that takes the focus in creation order, each option
  // button included, as the platform's dialog manager does with a tab stop on each. Qt's own
  // chain would skip the options of a group that are not checked.
  bool focusNextPrevChild(bool next) override {
    const auto count = static_cast<std::ptrdiff_t>(controls_.size());
    if (count == 0) return false;
    std::ptrdiff_t at = -1;
    for (std::ptrdiff_t i = 0; i < count; ++i)
      if (controls_[static_cast<std::size_t>(i)].second == focusWidget()) at = i;
    if (at < 0) at = next ? count - 1 : 0;
    for (std::ptrdiff_t step = 1; step <= count; ++step) {
      const std::ptrdiff_t i = ((at + (next ? step : -step)) % count + count) % count;
      QWidget* widget = controls_[static_cast<std::size_t>(i)].second;
      if (takes_focus(widget)) {
        widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
      }
    }
    return false;
  }

  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Escape:
        event->accept();
        return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // As on the platform, Enter activates a push button that has the focus; anywhere else
        // it does nothing, since there is no default button.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
        event->accept();
        return;
      default:
        QDialog::keyPressEvent(event);
    }
  }

  void closeEvent(QCloseEvent* event) override {
    if (ended_) {
      event->accept();
      return;
    }
    // A window that takes no input while it prints takes no close request either.
    if (!isEnabled()) {
      event->ignore();
      return;
    }
    deliver(DialogEventKind::close);
    if (!ended_) end_dialog(0);
    event->accept();
  }

 private:
  void deliver(DialogEventKind kind, int id = 0) {
    if (!ended_) handler_(*this, DialogEvent{kind, id});
  }

  QWidget* create_control(const ControlDescription& control, QButtonGroup*& group) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
      case ControlKind::label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        return label;
      }
      case ControlKind::text_box: {
        auto* edit = new TextBox(text, this);
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setCursorPosition(0);
        return edit;
      }
      case ControlKind::option_button: {
        auto* option = new QRadioButton(text, this);
        if (!group) {
          group = new QButtonGroup(this);
          group->setExclusive(true);
        }
        group->addButton(option);
        connect_command(option, control.id);
        return option;
      }
      case ControlKind::push_button: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        button->setDefault(false);
        connect_command(button, control.id);
        return button;
      }
    }
    return new QWidget(this);
  }

  void connect_command(QAbstractButton* button, int id) {
    QObject::connect(button, &QAbstractButton::clicked, this,
                     [this, id] { deliver(DialogEventKind::command, id); });
  }

  static bool takes_focus(const QWidget* widget) {
    return widget->isEnabled() && widget->isVisibleTo(widget->window()) &&
           (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractButton*>(widget));
  }

  // Screen readers announce a text box by its caption, the label beside it.
  void name_text_boxes(const DialogDescription& description) {
    for (const ControlDescription& box : description.controls) {
      if (box.kind != ControlKind::text_box || box.caption == 0) continue;
      if (auto* caption = qobject_cast<QLabel*>(control(box.caption))) {
        control(box.id)->setAccessibleName(caption->text());
        captions_.emplace_back(box.id, box.caption);
      }
    }
  }

  QWidget* control(int id) const {
    for (const auto& [control_id, widget] : controls_)
      if (control_id == id) return widget;
    return nullptr;
  }

  const DialogHandler& handler_;
  std::vector<std::pair<int, QWidget*>> controls_;
  std::vector<std::pair<int, int>> captions_;  ///< text box, its caption
  QPointer<QWidget> focus_while_disabled_;
  bool ended_ = false;
};

// Closing the box in any way but its OK button answers Cancel, whatever buttons it has.
class MessageBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      event->accept();
      QDialog::reject();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }

  void closeEvent(QCloseEvent* event) override {
    event->accept();
    QDialog::reject();
  }
};

}  // namespace

DialogUnits DialogUnits::of(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits{(letters + 26) / 52, metrics.height()};
}

int DialogUnits::to_x(int units) const {
  return scale(units, char_width, 4);
}

int DialogUnits::to_y(int units) const {
  return scale(units, char_height, 8);
}

QRect DialogUnits::to_pixels(int x, int y, int width, int height) const {
  return {to_x(x), to_y(y), to_x(width), to_y(height)};
}

QFont dialog_font() {
  static const QString classic = QStringLiteral("MS Sans Serif");
  if (QFontDatabase::families().contains(classic)) return {classic, 8};
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

QString control_object_name(int id) {
  return QString::number(id);
}

QIcon named_icon(std::string_view name) {
  init_veltrane_resources();
  QIcon icon;
  const QDir images(QStringLiteral(":/icons/") + qstring(name));
  for (const QFileInfo& image : images.entryInfoList(QDir::Files, QDir::Name))
    icon.addFile(image.filePath());
  return icon;
}

int show_message_box(std::string_view text, std::string_view title, MessageButtons buttons) {
  MessageBox box;
  box.setWindowTitle(qstring(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(qstring(text));
  box.setIcon(QMessageBox::NoIcon);
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  if (buttons == MessageButtons::ok_cancel) box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.show();
  box.raise();
  box.activateWindow();
  box.exec();
  return box.clickedButton() == ok ? message_ok : message_cancel;
}

QtToolkit::QtToolkit(QtToolkitChoices choices) : choices_(std::move(choices)) {
  init_veltrane_resources();
}

int QtToolkit::show_modal(const DialogDescription& description, Dialog* parent,
                          const DialogHandler& handler) {
  QtDialog dialog(description, dynamic_cast<QWidget*>(parent), handler);
  return dialog.run();
}

int QtToolkit::message_window(std::string_view text, std::string_view title,
                              MessageButtons buttons) {
  return choices_.message_window ? choices_.message_window(text, title, buttons) : message_cancel;
}

std::unique_ptr<PrintDevice> QtToolkit::open_printer(std::string_view document_name) {
  return choices_.open_printer ? choices_.open_printer(document_name) : nullptr;
}

}  // namespace veltrane
