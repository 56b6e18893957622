#pragma once
// A multi-line text box. Read-only it still shows a caret that the caret keys
// move, and it scrolls line by line to keep the caret in view. Its lines wrap
// at its width, so it never scrolls sideways; scroll bars are never shown.

#include <QColor>
#include <QPlainTextEdit>
#include <QString>

namespace pikora {

class TMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(QColor color READ Color WRITE setColor)
    Q_PROPERTY(QColor fontColor READ FontColor WRITE setFontColor)

public:
    explicit TMemo(QWidget* parent = nullptr);

    // Read-only keeps the caret and keyboard selection that a read-only
    // QPlainTextEdit would drop.
    void setReadOnly(bool readOnly);

    // Invalid (the default) means the system's window colour.
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    // Invalid (the default) means the system's window-text colour.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);

    QString Text() const { return toPlainText(); }
    // The whole text in one step; the same text again changes nothing, so the
    // caret and the scroll position stay where they are.
    void setText(const QString& text);

    // Replaces the text with the named content file's lines. On failure the
    // old text stays and the error is raised.
    void LoadFromFile(const QString& fileName);

private:
    void updateColors();

    QColor m_color;
    QColor m_fontColor;
};

} // namespace pikora
