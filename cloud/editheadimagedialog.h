#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class EditHeadImageDialog;
}

// The avatar dialog: the user picks a picture, which is shown scaled to the
// preview. The picture is only previewed; nothing is stored or sent. A
// frameless overlay over the main window. GUI thread only.
class EditHeadImageDialog : public QDialog
{
    Q_OBJECT

public:
    // Asks the user for a file: (parent, title, filter) -> path, empty when
    // nothing was chosen. Tests replace the file dialog with their own.
    using FileChooser = std::function<QString(QWidget *, const QString &, const QString &)>;

    explicit EditHeadImageDialog(QWidget *parent = nullptr);
    ~EditHeadImageDialog() override;

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Shows the picture in the preview; false, with a notice, when the file
    // is no picture we can open.
    bool loadPicture(const QString &path);

public slots:
    void on_ChoosePictureButton_clicked();
    void on_CloseButton_clicked();

private:
    void showLoadFailure(int textNumber);

    std::unique_ptr<Ui::EditHeadImageDialog> m_ui;
    FileChooser m_chooseFile;
};
