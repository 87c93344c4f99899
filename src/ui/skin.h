// The skin every window of the program shares: picture controls drawn from
// the embedded pictures, buttons that light up under the pointer, on/off
// switches, and the skinned window itself (no frame, rounded outline, fixed
// size, moved by dragging its background, placed over the main window the
// first time it shows).
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <string>
#include <string_view>

/// The embedded skin picture `name` (looked up without regard to case) as a
/// pixmap for a device pixel ratio of `ratio`: above 1 the picture drawn at
/// twice the size (stored as `name` + "@2x") where there is one, its pixmap
/// marked with a ratio of 2. With its captions in the skin language where
/// the picture has them in that language. Throws ImageError when there is no
/// such picture.
QPixmap skinPixmap(std::string_view name, qreal ratio = 1.0);

/// The language of the captions painted into the skin pictures shown from
/// now on ("de", "ru", ...; empty for English, the pictures' own). A picture
/// with captions carries each language as `name` + "_" + language (+ "@2x"):
/// the pixels where that language's picture differs, transparent elsewhere,
/// laid over the English picture. Pictures without one stay English.
void setSkinLanguage(const std::string& language);

/// The scale of the skin pictures used at device pixel ratio `ratio` (1 or 2).
int skinScaleFor(qreal ratio);

/// A picture control: shows its picture at the picture's own size, centred
/// in its rectangle and blended by the picture's alpha over what lies
/// beneath (or stretched over the whole rectangle, for a preview).
class SkinPicture : public QWidget {
    Q_OBJECT
public:
    /// A control named `name` (its object name) at `rect` in `parent`,
    /// showing the picture `picture` (the control's name when empty).
    SkinPicture(const char* name, const QRect& rect, QWidget* parent,
                std::string_view picture = {});
    /// A control showing `pixmap` rather than an embedded picture (nothing
    /// for a null one): a preview.
    SkinPicture(const char* name, const QRect& rect, QWidget* parent, const QPixmap& pixmap);

    /// Makes the embedded picture `name` the control's picture. It is
    /// decoded when it is first drawn (or asked for), not before. Throws
    /// ImageError when there is no such picture.
    void loadFromRes(std::string_view name);
    /// Shows `pixmap` instead of an embedded picture (a null one: nothing).
    void setPixmap(const QPixmap& pixmap);
    /// The picture shown (an embedded one decoded now if it is not yet).
    const QPixmap& pixmap() const;
    /// Lets go of the decoded embedded picture while the control is not
    /// seen (its window is hidden); it is decoded again when next drawn.
    void releasePicture();
    /// The name of the embedded picture shown, empty for any other.
    const std::string& pictureName() const { return m_pictureName; }

    /// Stretches the picture over the whole rectangle instead of centring it.
    void setStretched(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Decodes the embedded picture for the screen the control is on, unless
    // that is done already.
    void decodePicture() const;

    mutable QPixmap m_pixmap;
    std::string m_pictureName;
    mutable int m_scale = 1; // of the embedded picture shown
    bool m_stretched = false;
};

/// A button drawn from a picture pair: the normal picture, and the lit one
/// while the pointer is over it. Reacts to every press of any button (a
/// double click's second press included) and shows the hand pointer. It is
/// a Tab stop; Space or Enter while it has the focus press it as the left
/// mouse button does (pressed on the key going down, released and clicked on
/// it coming up). Screen readers see a push button with a press action.
class SkinButton : public SkinPicture {
    Q_OBJECT
public:
    /// A button named `name` whose pair is `pair` and `pair` + "_light"
    /// (`pair` is the button's own name when empty); `accessibleName` is what
    /// screen readers and automation call it.
    SkinButton(const char* name, const QRect& rect, QWidget* parent, const QString& accessibleName,
               std::string_view pair = {});

    /// While off, entering and leaving change no picture (the main window's
    /// manager button while it blinks).
    void setLighting(bool on) { m_lighting = on; }
    bool lighting() const { return m_lighting; }

    /// The picture pair's names.
    std::string normalPicture() const { return m_pair; }
    std::string litPicture() const { return m_pair + "_light"; }

    /// What the button does: `toolTip` (with its key, "Next picture
    /// (Right)"), also the short text screen readers give; `description`
    /// the longer one they read on request.
    void describe(const QString& toolTip, const QString& description);

    /// A whole press of the left button: pressed, released, clicked (a
    /// screen reader's press action).
    void press();

signals:
    /// Any mouse button went down on the button.
    void pressed(Qt::MouseButton button);
    /// A mouse button went up after a press on the button.
    void released(Qt::MouseButton button);
    /// The left button went up over the button after a press on it.
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::string m_pair;
    bool m_lighting = true;
    int m_keyDown = 0; ///< the key holding the button down, 0 for none
};

/// An on/off switch: the picture "iOn" or "iOff"; reacts to a press of any
/// mouse button, and of Space or Enter while it has the focus (a Tab stop).
/// It does not flip itself: its owner decides and calls setOn. Screen
/// readers see a check box.
class SkinSwitch : public SkinPicture {
    Q_OBJECT
public:
    SkinSwitch(const char* name, const QRect& rect, QWidget* parent, const QString& accessibleName);

    void setOn(bool on);
    bool isOn() const { return m_on; }

    /// As SkinButton::describe.
    void describe(const QString& toolTip, const QString& description);

    /// A press of the left button (Space, Enter, a screen reader's action).
    void press();

signals:
    void pressed(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_on = false;
};

/// The region of a skinned window of `size`: a rectangle whose corners are
/// rounded by ellipses 20 pixels wide and high, its right column and bottom
/// row outside (as the system's rounded-rectangle region is made).
QRegion roundedWindowRegion(const QSize& size);

/// A skinned window: no frame or title bar, a fixed size, the rounded
/// outline outside which it neither paints nor takes the mouse, a background
/// picture filling it that moves the window when dragged with the left
/// button. Closing it hides it. While it is hidden its controls hold no
/// decoded pictures.
///
/// Tab and Shift+Tab move the focus through its controls in reading order
/// (rows from the top, each from the left); once the keyboard has moved the
/// focus, a mark in the skin's accent colour shows which control has it.
/// A control of no size (a holder of the window's keys) is no Tab stop.
class SkinWindow : public QWidget {
    Q_OBJECT
public:
    /// `background` is the embedded picture drawn centred over the window
    /// by the background control named `backgroundName`.
    SkinWindow(const QSize& size, const char* backgroundName, std::string_view background,
               QWidget* parent = nullptr);
    ~SkinWindow() override;

    SkinPicture* background() const { return m_background; }

    /// The window the first showing centres this one over (the main window).
    void setPlacementAnchor(QWidget* anchor) { m_anchor = anchor; }

    /// Shows the window modal to the whole program and returns at once;
    /// `finished` tells when it is hidden again. The first showing places it
    /// centred over the anchor (its left and top edges kept on the desktop);
    /// later showings where it was left.
    void showModal();
    /// Hides the window (ending a modal showing).
    void closeWindow();
    /// True from showModal until the window is hidden.
    bool isShowingModally() const { return m_modal; }

    /// Where the first showing puts a window of `own` size over a window at
    /// `anchor`, with the desktop's left and top edges at `desktopTopLeft`.
    static QPoint centredOver(const QRect& anchor, const QSize& own, const QPoint& desktopTopLeft);

    /// Chains the window's Tab stops in reading order. Called before every
    /// showing; a window that adds controls later calls it again.
    void orderTabStops();
    /// True while the focus mark shows.
    bool focusMarkShown() const;

signals:
    /// The window is about to show.
    void shown();
    /// The window was hidden.
    void hidden();
    /// A modal showing ended (the window was hidden), after `hidden`.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

    /// Places the window for its first showing (centred over the anchor).
    void placeForFirstShowing();

private:
    void onFocusChanged(QWidget* now);

    SkinPicture* m_background = nullptr;
    QWidget* m_focusMark = nullptr;
    QMetaObject::Connection m_focusWatch;
    bool m_keyboardCues = false; ///< the keyboard moved the focus since the window showed
    QPointer<QWidget> m_anchor;
    bool m_modal = false;
    bool m_placed = false;
    bool m_dragging = false;
    QPoint m_drag; // DragX, DragY: the pointer in the window when the drag began
};
