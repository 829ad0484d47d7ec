#include "platform/qt_toolkit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "platform/colour_key.h"
#include "platform/requester_pattern.h"
#include "text/codepage.h"

namespace vokabino {

namespace {

QString ToQString(const Text& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }
Text FromQString(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// Qt key to the system's virtual key code: letters and digits keep their
// upper-case ASCII code, space is 32; a few named keys as the system numbers them.
int VirtualKeyCode(const QKeyEvent* key) {
  const int k = key->key();
  if (k >= 0x20 && k <= 0x7E) return (k >= 'a' && k <= 'z') ? k - 32 : k;
  switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default: return 0;
  }
}

// Signal handlers only write one byte here; the toolkit reads it on the GUI thread.
int gSignalPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
  const char byte = 1;
  [[maybe_unused]] auto written = ::write(gSignalPipe[1], &byte, 1);
}

bool XDisplayReachable() {
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screen);
  const bool ok = connection && xcb_connection_has_error(connection) == 0;
  if (connection) xcb_disconnect(connection);
  return ok;
}

class EventFilter final : public QObject {
 public:
  explicit EventFilter(QtToolkit* toolkit) : toolkit_(toolkit) {}
  bool eventFilter(QObject* target, QEvent* event) override {
    return toolkit_->FilterEvent(target, event) || QObject::eventFilter(target, event);
  }

 private:
  QtToolkit* toolkit_;
};

}  // namespace

// A canvas paints its retained picture; one never drawn on paints nothing, and
// one that hosts a native video window leaves the painting to the video.
class QtCanvas final : public QWidget {
 public:
  QtCanvas(QWidget* parent, int width, int height) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    resize(width, height);
  }
  QImage& Picture() {
    if (picture_.isNull()) {
      picture_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
      picture_.fill(Qt::black);
    }
    return picture_;
  }
  bool Drawn() const { return drawn_; }
  void MarkDrawn() { drawn_ = true; }
  // A canvas lent to a video renderer is left alone by Qt's painting: no
  // backing store flushes over the frames the renderer puts there.
  void HostNative() {
    hostsNative_ = true;
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setUpdatesEnabled(false);
  }
  QPaintEngine* paintEngine() const override {
    return hostsNative_ ? nullptr : QWidget::paintEngine();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!drawn_ || hostsNative_) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
  }

 private:
  QImage picture_;
  bool drawn_ = false;
  bool hostsNative_ = false;
};

QtToolkit::QtToolkit() = default;

QtToolkit::~QtToolkit() { ReleaseAll(); }

bool QtToolkit::Initialise() {
  if (app_) return true;
  // mpv's window embedding and the shape masks need X11.
  setenv("QT_QPA_PLATFORM", "xcb", 0);
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  // Qt aborts the process when it cannot reach the display; ask first.
  if (platform && std::string(platform) == "xcb" && !XDisplayReachable()) return false;
  static int argc = 1;
  static char name[] = "vokabino";
  static char* argv[] = {name, nullptr};
  app_ = std::make_unique<QApplication>(argc, argv);
  // mpv refuses to start under a locale whose decimal point is not ".".
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setQuitOnLastWindowClosed(false);
  filter_ = std::make_unique<EventFilter>(this);
  app_->installEventFilter(filter_.get());

  if (gSignalPipe[0] < 0 && ::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
  }
  if (gSignalPipe[0] >= 0) {
    signalNotifier_ = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(signalNotifier_.get(), &QSocketNotifier::activated, [this] {
      char bytes[16];
      bool signalled = false;
      while (::read(gSignalPipe[0], bytes, sizeof bytes) > 0) signalled = true;
      if (!signalled) return;
      endRequested_ = true;
      // A requester open now is cancelled so that start-up can end.
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
  }
  return true;
}

bool QtToolkit::DisplayUsable() {
  const QScreen* screen = app_ ? QGuiApplication::primaryScreen() : nullptr;
  if (!screen) return false;
  const QSize size = screen->size();
  const int depth = screen->depth();
  return size.width() > 0 && size.height() > 0 &&
         (depth == 15 || depth == 16 || depth == 24 || depth == 32);
}

QtToolkit::WindowEntry* QtToolkit::FindWindow(int number) {
  auto it = windows_.find(number);
  return it == windows_.end() ? nullptr : &it->second;
}

QtToolkit::WidgetEntry* QtToolkit::FindWidget(int number) {
  auto it = widgets_.find(number);
  return it == widgets_.end() ? nullptr : &it->second;
}

std::optional<int> QtToolkit::WindowOf(const QWidget* widget) const {
  if (!widget) return std::nullopt;
  const QWidget* top = widget->window();
  for (const auto& [number, entry] : windows_)
    if (entry.widget == top) return number;
  return std::nullopt;
}

bool QtToolkit::OpenWindow(int number, int x, int y, int clientWidth, int clientHeight,
                           const Text& title, unsigned style, int owner) {
  if (!app_) return false;
  if (FindWindow(number)) CloseWindow(number);
  WindowEntry* ownerEntry = owner == kNoOwner ? nullptr : FindWindow(owner);
  Qt::WindowFlags flags;
  if (ownerEntry) {
    // Stays over its owner, never takes activation or the keyboard focus.
    flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
  } else if (style & kBorderless) {
    flags = Qt::Window | Qt::FramelessWindowHint;
  } else {
    flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
            Qt::WindowCloseButtonHint;
    if (style & kMaximiseBox) flags |= Qt::WindowMaximizeButtonHint;
  }
  auto* widget = new QWidget(ownerEntry ? ownerEntry->widget : nullptr, flags);
  if (ownerEntry) {
    widget->setAttribute(Qt::WA_ShowWithoutActivating);
    widget->setFocusPolicy(Qt::NoFocus);
  }
  widget->setWindowTitle(ToQString(title));
  widget->resize(clientWidth, clientHeight);
  if (!ownerEntry && !(style & kMaximiseBox) && !(style & kBorderless))
    widget->setFixedSize(clientWidth, clientHeight);  // no sizing border

  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
  if (style & kCentred) {
    widget->move(available.x() + (available.width() - clientWidth) / 2,
                 available.y() + (available.height() - clientHeight) / 2);
  } else {
    widget->move(x, y);
  }

  WindowEntry entry;
  entry.widget = widget;
  entry.owner = ownerEntry ? owner : kNoOwner;
  windows_[number] = entry;
  windowOrder_.push_back(number);

  if (!(style & kHidden)) {
    if (style & kMaximised) {
      // With no window manager showMaximized does nothing: fill the available
      // area first, then let the window manager settle the final size.
      widget->setGeometry(available);
      widget->showMaximized();
      SettleMaximised(widget);
    } else {
      widget->show();
    }
  }
  return true;
}

void QtToolkit::SettleMaximised(QWidget* window) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto lastChange = start;
  QSize last = window->size();
  // The window manager's final size arrives in a resize some tens of ms later.
  while (Clock::now() - start < std::chrono::milliseconds(1500)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (window->size() != last) {
      last = window->size();
      lastChange = Clock::now();
    }
    const bool exposed = window->windowHandle() && window->windowHandle()->isExposed();
    if (exposed && Clock::now() - lastChange > std::chrono::milliseconds(150)) break;
  }
}

void QtToolkit::PurgeWindow(int number) {
  WindowEntry* entry = FindWindow(number);
  if (!entry) return;
  for (int widget : entry->widgets) {
    widgets_.erase(widget);
    widgetHandlers_.erase(widget);
    if (hoveredCanvas_ == widget) hoveredCanvas_ = -1;
    if (pressedCanvas_ == widget) pressedCanvas_ = -1;
    if (drawingWidget_ == widget) EndDrawing();
  }
  const std::vector<int> widgets = entry->widgets;
  std::erase_if(queue_, [&](const Event& e) {
    return e.window == number ||
           std::find(widgets.begin(), widgets.end(), e.widget) != widgets.end();
  });
  timerHandlers_.erase(number);
  closeHandlers_.erase(number);
  windows_.erase(number);
  std::erase(windowOrder_, number);
}

void QtToolkit::CloseWindow(int number) {
  WindowEntry* entry = FindWindow(number);
  if (!entry) return;
  // Windows it owns go with it (Qt deletes them as children).
  std::vector<int> owned;
  for (const auto& [n, e] : windows_)
    if (e.owner == number) owned.push_back(n);
  for (int n : owned) PurgeWindow(n);
  QWidget* widget = entry->widget;
  PurgeWindow(number);
  widget->hide();
  delete widget;
}

void QtToolkit::SetWindowBackground(int number, Rgb colour) {
  if (WindowEntry* entry = FindWindow(number)) {
    QPalette palette = entry->widget->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    entry->widget->setPalette(palette);
    entry->widget->setAutoFillBackground(true);
    entry->widget->update();
  }
}

int QtToolkit::WindowClientWidth(int number) {
  WindowEntry* entry = FindWindow(number);
  return entry ? entry->widget->width() : 0;
}

int QtToolkit::WindowClientHeight(int number) {
  WindowEntry* entry = FindWindow(number);
  return entry ? entry->widget->height() : 0;
}

int QtToolkit::WindowTop(int number) {
  WindowEntry* entry = FindWindow(number);
  return entry ? entry->widget->frameGeometry().top() : 0;
}

void QtToolkit::HideWindow(int number) {
  if (WindowEntry* entry = FindWindow(number)) entry->widget->hide();
}

void QtToolkit::ShowWindow(int number) {
  if (WindowEntry* entry = FindWindow(number)) entry->widget->show();
}

bool QtToolkit::WindowVisible(int number) {
  WindowEntry* entry = FindWindow(number);
  return entry && entry->widget->isVisible();
}

void QtToolkit::SetColourKey(int number, Rgb key) {
  if (WindowEntry* entry = FindWindow(number)) {
    entry->colourKey = key;
    UpdateShape(number);
  }
}

void QtToolkit::UpdateShape(int number) {
  WindowEntry* entry = FindWindow(number);
  if (!entry || !entry->colourKey) return;
  const Rgb key = *entry->colourKey;
  const std::uint32_t keyRgb = (key.r << 16) | (key.g << 8) | key.b;
  std::vector<xcb_rectangle_t> rects;
  int contributing = 0;
  for (int widgetNumber : entry->widgets) {
    WidgetEntry* widget = FindWidget(widgetNumber);
    if (!widget || !widget->canvas || !widget->canvas->Drawn()) continue;
    ++contributing;
    const QImage& picture = widget->canvas->Picture();
    const QPoint at = widget->widget->pos();
    for (const PixelRun& run :
         OpaqueRuns(reinterpret_cast<const std::uint32_t*>(picture.constBits()), picture.width(),
                    picture.height(), static_cast<int>(picture.bytesPerLine() / 4), keyRgb)) {
      rects.push_back({static_cast<std::int16_t>(at.x() + run.x),
                       static_cast<std::int16_t>(at.y() + run.y),
                       static_cast<std::uint16_t>(run.width), 1});
    }
  }
  // The shape is set on the X window itself: Qt's own mask cannot be empty
  // (an empty region lifts it), and an all-key picture must vanish entirely.
  auto* x11 = app_->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* connection = x11->connection();
  const auto window = static_cast<xcb_window_t>(entry->widget->winId());
  // One canvas gives one-row runs in row order, which is what the server calls
  // banded and handles cheapest; overlapping canvases give no order at all.
  const auto ordering =
      contributing == 1 ? XCB_CLIP_ORDERING_YX_BANDED : XCB_CLIP_ORDERING_UNSORTED;
  xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, ordering, window, 0, 0,
                       static_cast<std::uint32_t>(rects.size()), rects.data());
  xcb_flush(connection);
}

void QtToolkit::StartTimer(int window, int timer, int ms) {
  WindowEntry* entry = FindWindow(window);
  if (!entry) return;
  auto* qtimer = new QTimer(entry->widget);  // goes with its window
  qtimer->setTimerType(Qt::PreciseTimer);
  QObject::connect(qtimer, &QTimer::timeout, [this, window, timer] {
    // An expiry already waiting in the queue is not doubled while the loop is busy.
    for (const Event& e : queue_)
      if (e.kind == EventKind::Timer && e.window == window && e.timer == timer) return;
    Event event;
    event.kind = EventKind::Timer;
    event.window = window;
    event.timer = timer;
    Push(event);
  });
  qtimer->start(ms);
}

void QtToolkit::Push(const Event& event) {
  // Pointer movement is coalesced: only the newest position of a run matters.
  if (event.kind == EventKind::MouseMove && !queue_.empty() &&
      queue_.back().kind == EventKind::MouseMove && queue_.back().widget == event.widget) {
    queue_.back() = event;
    return;
  }
  queue_.push_back(event);
}

void QtToolkit::ProcessOneEvent() {
  if (!app_) return;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (queue_.empty()) return;
  const Event event = queue_.front();
  queue_.pop_front();
  Dispatch(event);
}

void QtToolkit::Dispatch(const Event& event) {
  std::map<int, EventHandler>* handlers = nullptr;
  int key = -1;
  switch (event.kind) {
    case EventKind::Timer:
      handlers = &timerHandlers_;
      key = event.window;
      break;
    case EventKind::Close:
      handlers = &closeHandlers_;
      key = event.window;
      break;
    default:
      handlers = &widgetHandlers_;
      key = event.widget;
      break;
  }
  auto it = handlers->find(key);
  if (it == handlers->end() || !it->second) return;
  // The handler may rebind or close its own window: call a copy.
  const EventHandler handler = it->second;
  handler(event);
}

void QtToolkit::BindTimers(int window, EventHandler handler) {
  timerHandlers_[window] = std::move(handler);
}

void QtToolkit::BindClose(int window, EventHandler handler) {
  closeHandlers_[window] = std::move(handler);
}

void QtToolkit::BindWidget(int widget, EventHandler handler) {
  widgetHandlers_[widget] = std::move(handler);
}

bool QtToolkit::AddWidget(int number, WidgetKind kind, QWidget* widget, QtCanvas* canvas,
                          bool keyboard) {
  const int window = windowOrder_.back();
  WidgetEntry entry;
  entry.window = window;
  entry.kind = kind;
  entry.widget = widget;
  entry.canvas = canvas;
  entry.keyboard = keyboard;
  widgets_[number] = entry;
  windows_[window].widgets.push_back(number);
  widget->show();
  return true;
}

bool QtToolkit::CreateCanvas(int number, int x, int y, int width, int height, bool keyboard) {
  if (windowOrder_.empty() || FindWidget(number)) return false;
  QWidget* parent = windows_[windowOrder_.back()].widget;
  auto* canvas = new QtCanvas(parent, width, height);
  canvas->move(x, y);
  canvas->setFocusPolicy(keyboard ? Qt::ClickFocus : Qt::NoFocus);
  // Canvases made earlier stay in front.
  canvas->lower();
  return AddWidget(number, WidgetKind::Canvas, canvas, canvas, keyboard);
}

bool QtToolkit::CreateLabel(int number, int x, int y, int width, int height, const Text& text) {
  if (windowOrder_.empty() || FindWidget(number)) return false;
  auto* label = new QLabel(ToQString(text), windows_[windowOrder_.back()].widget);
  label->setGeometry(x, y, width, height);
  return AddWidget(number, WidgetKind::Label, label, nullptr, false);
}

bool QtToolkit::CreateTextField(int number, int x, int y, int width, int height,
                                const Text& text) {
  if (windowOrder_.empty() || FindWidget(number)) return false;
  auto* field = new QLineEdit(ToQString(text), windows_[windowOrder_.back()].widget);
  field->setGeometry(x, y, width, height);
  return AddWidget(number, WidgetKind::TextField, field, nullptr, false);
}

bool QtToolkit::CreateButton(int number, int x, int y, int width, int height, const Text& text) {
  if (windowOrder_.empty() || FindWidget(number)) return false;
  const int window = windowOrder_.back();
  auto* button = new QPushButton(ToQString(text), windows_[window].widget);
  button->setGeometry(x, y, width, height);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, [this, number, window] {
    Event event;
    event.kind = EventKind::ButtonClick;
    event.window = window;
    event.widget = number;
    Push(event);
  });
  return AddWidget(number, WidgetKind::Button, button, nullptr, false);
}

Text QtToolkit::WidgetText(int number) {
  WidgetEntry* entry = FindWidget(number);
  if (!entry) return {};
  switch (entry->kind) {
    case WidgetKind::Label: return FromQString(static_cast<QLabel*>(entry->widget)->text());
    case WidgetKind::TextField:
      return FromQString(static_cast<QLineEdit*>(entry->widget)->text());
    case WidgetKind::Button:
      return FromQString(static_cast<QPushButton*>(entry->widget)->text());
    case WidgetKind::Canvas: return {};
  }
  return {};
}

void QtToolkit::SetWidgetText(int number, const Text& text) {
  WidgetEntry* entry = FindWidget(number);
  if (!entry) return;
  switch (entry->kind) {
    case WidgetKind::Label: static_cast<QLabel*>(entry->widget)->setText(ToQString(text)); break;
    case WidgetKind::TextField:
      static_cast<QLineEdit*>(entry->widget)->setText(ToQString(text));
      break;
    case WidgetKind::Button:
      static_cast<QPushButton*>(entry->widget)->setText(ToQString(text));
      break;
    case WidgetKind::Canvas: break;
  }
}

void QtToolkit::GiveFocus(int number) {
  if (WidgetEntry* entry = FindWidget(number)) entry->widget->setFocus(Qt::OtherFocusReason);
}

int QtToolkit::WidgetWidth(int number) {
  WidgetEntry* entry = FindWidget(number);
  return entry ? entry->widget->width() : 0;
}

int QtToolkit::WidgetHeight(int number) {
  WidgetEntry* entry = FindWidget(number);
  return entry ? entry->widget->height() : 0;
}

int QtToolkit::WidgetTop(int number) {
  WidgetEntry* entry = FindWidget(number);
  return entry ? entry->widget->y() : 0;
}

std::uintptr_t QtToolkit::WidgetNativeHandle(int number) {
  WidgetEntry* entry = FindWidget(number);
  if (!entry) return 0;
  if (entry->canvas) {
    entry->canvas->HostNative();
    // Shown above the other canvases so the picture is seen; input still
    // goes to the canvas made first, by the toolkit's own routing.
    entry->canvas->raise();
  } else {
    entry->widget->setAttribute(Qt::WA_NativeWindow);
    entry->widget->setAttribute(Qt::WA_DontCreateNativeAncestors);
  }
  return static_cast<std::uintptr_t>(entry->widget->winId());
}

QWidget* QtToolkit::DialogParent() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (auto it = windowOrder_.rbegin(); it != windowOrder_.rend(); ++it) {
    WindowEntry& entry = windows_[*it];
    if (entry.owner == kNoOwner && entry.widget->isVisible()) return entry.widget;
  }
  return nullptr;
}

void QtToolkit::MessageBox(const Text& title, const Text& text) {
  if (!app_ || endRequested_) return;
  QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok,
                  DialogParent());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

Text QtToolkit::OpenFileRequester(const Text& title, const Text& initialPath,
                                  const Text& pattern, int index) {
  if (!app_ || endRequested_) return {};
  QFileDialog dialog(DialogParent(), ToQString(title), ToQString(initialPath));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  QStringList filters;
  for (const FileFilter& filter : ParseRequesterPattern(pattern)) {
    QStringList patterns;
    for (const Text& p : filter.patterns) patterns << ToQString(p);
    filters << ToQString(filter.name) + " (" + patterns.join(' ') + ")";
  }
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(index >= 0 && index < filters.size() ? index : 0));
  }
  if (dialog.exec() != QDialog::Accepted || endRequested_) return {};
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? Text() : FromQString(chosen.front());
}

bool QtToolkit::BeginDrawing(int canvas) {
  if (painter_) EndDrawing();
  WidgetEntry* entry = FindWidget(canvas);
  if (!entry || !entry->canvas) return false;
  drawingCanvas_ = entry->canvas;
  drawingWidget_ = canvas;
  painter_ = std::make_unique<QPainter>(&drawingCanvas_->Picture());
  painter_->setRenderHint(QPainter::TextAntialiasing);
  mode_ = DrawingMode::TransparentText;
  return true;
}

void QtToolkit::EndDrawing() {
  if (!painter_) return;
  painter_->end();
  painter_.reset();
  QtCanvas* canvas = drawingCanvas_;
  const int widget = drawingWidget_;
  drawingCanvas_ = nullptr;
  drawingWidget_ = -1;
  canvas->MarkDrawn();
  canvas->repaint();
  if (WidgetEntry* entry = FindWidget(widget)) UpdateShape(entry->window);
}

void QtToolkit::FillBox(int x, int y, int width, int height, Rgb colour) {
  if (!painter_ || width <= 0 || height <= 0) return;
  painter_->fillRect(QRect(x, y, width, height), ToQColor(colour));
}

void QtToolkit::SetDrawingMode(DrawingMode mode) { mode_ = mode; }

void QtToolkit::SelectFont(int slot) {
  selectedFont_ = slot;
  if (painter_ && fonts_.count(slot)) painter_->setFont(*fonts_[slot]);
}

namespace {
QFontMetrics MetricsFor(const std::map<int, std::unique_ptr<QFont>>& fonts, int slot) {
  auto it = fonts.find(slot);
  return QFontMetrics(it != fonts.end() ? *it->second : QFont());
}
}  // namespace

int QtToolkit::TextWidth(const Text& text) {
  if (text.empty() || !app_) return 0;
  return MetricsFor(fonts_, selectedFont_).horizontalAdvance(ToQString(text));
}

int QtToolkit::TextHeight(const Text& text) {
  if (text.empty() || !app_) return 0;
  return MetricsFor(fonts_, selectedFont_).height();
}

void QtToolkit::DrawText(int x, int y, const Text& text, Rgb colour) {
  if (!painter_ || text.empty()) return;
  auto it = fonts_.find(selectedFont_);
  const QFont font = it != fonts_.end() ? *it->second : QFont();
  painter_->setFont(font);
  painter_->setPen(ToQColor(colour));
  painter_->drawText(QPoint(x, y + QFontMetrics(font).ascent()), ToQString(text));
}

void QtToolkit::DrawImageScaled(int slot, int x, int y, int width, int height) {
  if (!painter_ || width < 1 || height < 1) return;
  auto source = images_.find(slot);
  if (source == images_.end()) return;
  const auto key = std::make_tuple(slot, width, height);
  auto scaled = scaledImages_.find(key);
  if (scaled == scaledImages_.end())
    scaled = scaledImages_.emplace(key, ResizeCubic(source->second, width, height)).first;
  QImage& picture = drawingCanvas_->Picture();
  // Pixels are written directly; the painter must not hold pending work.
  painter_->end();
  if (mode_ == DrawingMode::AlphaBlendedImages) {
    BlendOver(scaled->second, x, y, reinterpret_cast<std::uint32_t*>(picture.bits()),
              picture.width(), picture.height(), static_cast<int>(picture.bytesPerLine() / 4));
  } else {
    RgbaImage opaque = scaled->second;
    for (std::size_t i = 3; i < opaque.pixels.size(); i += 4) opaque.pixels[i] = 255;
    BlendOver(opaque, x, y, reinterpret_cast<std::uint32_t*>(picture.bits()), picture.width(),
              picture.height(), static_cast<int>(picture.bytesPerLine() / 4));
  }
  painter_->begin(&picture);
  painter_->setRenderHint(QPainter::TextAntialiasing);
}

bool QtToolkit::LoadFont(int slot, const Text& face, int points, bool bold, bool highQuality) {
  if (!app_ || points <= 0) return false;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  auto font = std::make_unique<QFont>(ToQString(face));
  // Pixel sizes, because pictures drawn off screen would otherwise use 72 dpi.
  font->setPixelSize(static_cast<int>(std::nearbyint(points * dpi / 72.0)));
  font->setWeight(bold ? QFont::Bold : QFont::Normal);
  if (highQuality) font->setStyleStrategy(QFont::PreferQuality);
  fonts_[slot] = std::move(font);
  return true;
}

bool QtToolkit::DecodeImage(int slot, const std::uint8_t* png, std::size_t size) {
  auto image = DecodePng(png, size);
  if (!image) return false;
  images_[slot] = std::move(*image);
  std::erase_if(scaledImages_, [slot](const auto& item) { return std::get<0>(item.first) == slot; });
  return true;
}

void QtToolkit::Wait(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int QtToolkit::ShowCursor() {
  // The X pointer is never hidden by this program; only the count is kept.
  return ++cursorCounter_;
}

bool QtToolkit::EndRequested() {
  // The signal notifier runs inside ProcessOneEvent (or a requester's own
  // loop); asking needs no event processing of its own.
  return endRequested_;
}

void QtToolkit::ReleaseAll() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
  drawingCanvas_ = nullptr;
  drawingWidget_ = -1;
  // Owned windows are deleted with their owners.
  std::vector<QWidget*> topLevel;
  for (auto& [number, entry] : windows_)
    if (entry.owner == kNoOwner) topLevel.push_back(entry.widget);
  windows_.clear();
  widgets_.clear();
  windowOrder_.clear();
  queue_.clear();
  timerHandlers_.clear();
  closeHandlers_.clear();
  widgetHandlers_.clear();
  for (QWidget* widget : topLevel) delete widget;
  fonts_.clear();
  images_.clear();
  scaledImages_.clear();
  signalNotifier_.reset();
  if (app_ && filter_) app_->removeEventFilter(filter_.get());
  filter_.reset();
  app_.reset();
}

// --- Input routing ---------------------------------------------------------

std::optional<int> QtToolkit::FrontCanvasAt(int window, const QPoint& global) {
  WindowEntry* entry = FindWindow(window);
  if (!entry) return std::nullopt;
  for (int number : entry->widgets) {
    WidgetEntry* widget = FindWidget(number);
    if (!widget || !widget->canvas || !widget->widget->isVisible()) continue;
    const QRect area(widget->widget->mapToGlobal(QPoint(0, 0)), widget->widget->size());
    if (area.contains(global)) return number;
  }
  return std::nullopt;
}

bool QtToolkit::RoutePointer(int window, QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint global = mouse->globalPosition().toPoint();
  const auto target = FrontCanvasAt(window, global);
  if (!target) return false;
  WidgetEntry& canvas = widgets_[*target];
  const QPoint local = canvas.widget->mapFromGlobal(global);
  Event out;
  out.window = window;
  out.widget = *target;
  out.x = local.x();
  out.y = local.y();
  switch (event->type()) {
    case QEvent::MouseMove:
      out.kind = hoveredCanvas_ == *target ? EventKind::MouseMove : EventKind::MouseEnter;
      hoveredCanvas_ = *target;
      Push(out);
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // a double click is two clicks
      if (canvas.keyboard) canvas.widget->setFocus(Qt::MouseFocusReason);
      if (mouse->button() == Qt::LeftButton) pressedCanvas_ = *target;
      return true;
    case QEvent::MouseButtonRelease:
      if (mouse->button() == Qt::LeftButton) {
        if (pressedCanvas_ == *target) {
          out.kind = EventKind::LeftClick;
          Push(out);
        }
        pressedCanvas_ = -1;
      }
      return true;
    default:
      return false;
  }
}

bool QtToolkit::RouteKey(QObject* target, QEvent* event) {
  for (auto& [number, entry] : widgets_) {
    if (entry.widget != target || !entry.canvas) continue;
    if (!entry.keyboard) return true;
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      Event out;
      out.kind = EventKind::KeyDown;
      out.window = entry.window;
      out.widget = number;
      out.keyCode = VirtualKeyCode(key);
      out.autoRepeat = key->isAutoRepeat();
      Push(out);
    }
    return true;
  }
  return false;
}

bool QtToolkit::FilterEvent(QObject* target, QEvent* event) {
  if (!target->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(target);
  switch (event->type()) {
    case QEvent::Close: {
      const auto window = WindowOf(widget);
      if (!window || windows_[*window].widget != widget) return false;
      // Closing only raises the close event; its handler decides.
      event->ignore();
      Event out;
      out.kind = EventKind::Close;
      out.window = *window;
      Push(out);
      return true;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      const auto window = WindowOf(widget);
      if (!window) return false;
      return RoutePointer(*window, event);
    }
    case QEvent::Leave: {
      // The next movement over a canvas counts as entering it again once the
      // pointer has gone to another window or off this one.
      const auto window = WindowOf(widget);
      if (!window) return false;
      const QWidget* under = QApplication::widgetAt(QCursor::pos());
      if (!under || WindowOf(under) != window) hoveredCanvas_ = -1;
      return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return RouteKey(target, event);
    default:
      return false;
  }
}

}  // namespace vokabino
