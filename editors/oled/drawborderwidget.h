#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

class QLineEdit;

// The drawing canvas of the OLED editor: the screen's 64 x 48 picture shown
// three times enlarged, with brush strokes, one line of text and a BMP
// picture underneath. What it paints and what the editor saves come from
// the same picture (picture()), so the mouse shows what the user saw.
class DrawBorderWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kScale = 3;
    static constexpr int kWidth = 64 * kScale;
    static constexpr int kHeight = 48 * kScale;

    explicit DrawBorderWidget(QWidget *parent = nullptr);

    // The 64 x 48 picture; the text is left out while it is being edited
    // unless withEditedText.
    QImage picture(bool withEditedText = false) const;

    void setBrushMode(bool on);
    bool brushMode() const { return m_brushMode; }
    // On: the text field is shown for editing; off: its text is fixed into
    // the picture.
    void setTextMode(bool on);
    bool textMode() const { return m_textMode; }
    void setDarkBackground(bool dark);
    bool darkBackground() const { return m_darkBackground; }
    void setTextFont(const QString &family, int pixelSize);

    // Loads the BMP drawn under the strokes, stretched to 64 x 48. A file
    // that cannot be read (or is refused: see readPictureFile) draws
    // nothing; false then, with the reason in error.
    bool setPicturePath(const QString &path, QString *error = nullptr);
    QString picturePath() const { return m_picturePath; }

    // Removes the last stroke.
    void recall();
    // Empties the text and puts its field back at the top left corner.
    void eraseText();
    QLineEdit *textField() const { return m_textField; }
    const QList<QList<QPoint>> &strokes() const { return m_strokes; }

    void setProfileNumber(const QString &number) { m_profileNumber = number; }
    QString profileNumber() const { return m_profileNumber; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void updateTextStyle();
    QColor inkColor() const;
    // A widget point as a picture pixel.
    static QPoint pixelAt(const QPoint &widgetPoint);

    QList<QList<QPoint>> m_strokes;
    bool m_brushMode = false;
    bool m_textMode = false;
    bool m_darkBackground = false;
    QString m_picturePath;
    QImage m_picture; // the loaded BMP at 64 x 48, null when none
    QLineEdit *m_textField = nullptr;
    QString m_fontFamily;
    int m_fontSize = 24;
    QString m_profileNumber;
};
