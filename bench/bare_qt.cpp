// The yardstick for start-up time and memory: the least a Qt program with a window like the
// main window does. One window with a menu bar and 31 line edits; it quits once it is painted.
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

namespace {
class Window : public QWidget {
  public:
    Window() {
        setWindowTitle(QStringLiteral("bare"));
        auto* bar = new QMenuBar(this);
        for (const char* title : {"&File", "&Sets", "&Save", "&Reset", "&Password", "&Other"})
            bar->addMenu(QString::fromLatin1(title))->addAction(QStringLiteral("Item"));
        const int top = bar->sizeHint().height();
        for (int i = 0; i < 31; ++i)
            (new QLineEdit(this))->setGeometry(i % 2 ? 176 : 0, top + 16 + 24 * (i / 2), 160, 19);
        resize(468, top + 412);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

  private:
    bool m_painted = false;
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Window window;
    window.show();
    return QApplication::exec();
}
