#pragma once

#include <QAbstractButton>
#include <QBasicTimer>
#include <QLabel>
#include <QScrollArea>
#include <QStaticText>
#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

#include "adapters/qt/PanelStyle.hpp"

// The small custom-drawn pieces the panel is built from. Each draws itself from the style
// table in PanelStyle and holds no program state.
namespace stowbar::qt {

// A thin horizontal separator across the full width.
class Divider final : public QWidget {
  public:
    explicit Divider(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// One line of plain text that gives up width before anything beside it does: squeezed below
// its natural width it shows its beginning and an ellipsis, never a word cut off by its
// neighbour. text() is what is shown; fullText() is what was set.
class ElidingLabel final : public QLabel {
  public:
    explicit ElidingLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return fullText_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Draws the line as QLabel does, from a text shaped when it changes rather than at each
    // paint.
    void paintEvent(QPaintEvent* event) override;

  private:
    void measure();
    void elide();

    QString fullText_;
    int naturalWidth_ = 0;
    QStaticText shaped_;
};

// A named symbol drawn like text of a style, in one of the panel's colours.
class SymbolView final : public QWidget {
  public:
    SymbolView(std::string_view name, TextStyle style, Colour colour, QWidget* parent = nullptr);
    const std::string& symbolName() const { return name_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string name_;
    Colour colour_;
};

// The circular indeterminate progress indicator: twelve spokes, the brightest one turning
// while the indicator is shown. It keeps the 32-point layout size of a regular indicator and
// draws at 0.8 of it about its centre.
class SpinnerView final : public QWidget {
  public:
    static constexpr int kSide = 32;
    static constexpr double kDrawnScale = 0.8;
    static constexpr int kSpokes = 12;

    explicit SpinnerView(QWidget* parent = nullptr);
    int frame() const { return frame_; }
    // Pictures of the panel draw this one frame, so that they are the same on every run.
    void setFrozen(bool frozen);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    QBasicTimer timer_;
    int frame_ = 0;
    bool frozen_ = false;
};

// A button drawn as its label alone (caption), in the primary label colour while the pointer
// is over it and the secondary one otherwise, padded 6 points left and right and 2 points top
// and bottom; the padded area is the hover region. With the keyboard focus it is ringed in the
// desktop's focus colour.
class FooterButton final : public QAbstractButton {
  public:
    static constexpr int kPaddingHorizontal = 6;
    static constexpr int kPaddingVertical = 2;
    static constexpr double kFocusRingRadius = 4;

    explicit FooterButton(const QString& label, QWidget* parent = nullptr);
    bool isHovered() const { return hovered_; }
    void setHovered(bool hovered);
    // Draws the focus ring whether or not the toolkit's focus is here (a window that is not
    // active has none), for the panel's own keyboard focus.
    void setFocusShown(bool shown);
    // The colour the label is drawn in now.
    QColor labelColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool hovered_ = false;
    bool focusShown_ = false;
};

// A filled, rounded button tinted in a colour, with its label (caption) in white, ringed in the
// desktop's focus colour while it has the keyboard focus.
class ProminentButton final : public QAbstractButton {
  public:
    ProminentButton(const QString& label, Colour tint, QWidget* parent = nullptr);
    // As FooterButton's.
    void setFocusShown(bool shown);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Colour tint_;
    bool hovered_ = false;
    bool focusShown_ = false;
};

// The slim field above the list that shows the type-to-filter text while there is one: the
// text in caption on a faint rounded fill, with a caret after it.
class FilterField final : public QWidget {
  public:
    static constexpr int kInsetHorizontal = 12;
    static constexpr int kGapBelow = 6;

    explicit FilterField(QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return text_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

// A frameless vertical scroll view with a transparent background and a visible overlay scroll
// indicator on its right edge. The indicator floats over the content, as on a desktop with
// overlay scrollers, so the rows keep the panel's full width; the wheel and the keyboard
// scroll the view.
class PanelScrollArea final : public QScrollArea {
  public:
    explicit PanelScrollArea(QWidget* parent = nullptr);
    QWidget* indicator() const { return indicator_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* indicator_;
};

}  // namespace stowbar::qt
