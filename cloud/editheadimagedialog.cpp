#include "cloud/editheadimagedialog.h"

#include "cloud/cloudtexts.h"
#include "config/languagetable.h"
#include "ui_editheadimagedialog.h"

#include <QDebug>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>

namespace {
const char kImageFilter[] = "Images (*.png *.bmp *.jpg *.tif)";
constexpr int kChooseTitleText = 585;
constexpr int kLoadFailedTitle = 586;
constexpr int kLoadFailedText = 587;
// A picture beyond this would take hundreds of megabytes to decode for a
// preview of a few thousand pixels.
constexpr qint64 kMaxPixels = 40LL * 1000 * 1000;
} // namespace

EditHeadImageDialog::EditHeadImageDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::EditHeadImageDialog>())
    , m_chooseFile([](QWidget *p, const QString &title, const QString &filter) {
        return QFileDialog::getOpenFileName(p, title, QString(), filter);
    })
{
    m_ui->setupUi(this);
    // Frameless alone makes the dialog a child laid over the whole window.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setModal(true);
    m_ui->HeadImageTitleLabel->setText(languageText(kHeadImageTitle));
    m_ui->HeadImageHintLabel->setText(languageText(kHeadImageHint));
    m_ui->ChoosePictureButton->setText(languageText(kChooseTitleText));
    m_ui->CloseButton->setText(languageText(279));
}

EditHeadImageDialog::~EditHeadImageDialog() = default;

void EditHeadImageDialog::on_ChoosePictureButton_clicked()
{
    const QString path = m_chooseFile(this, languageText(kChooseTitleText), QString::fromLatin1(kImageFilter));
    if (!path.isEmpty())
        loadPicture(path);
}

void EditHeadImageDialog::on_CloseButton_clicked()
{
    accept();
}

bool EditHeadImageDialog::loadPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // The header's size is checked before anything is decoded.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels) {
        qDebug() << "EditHeadImageDialog: picture too large" << path << size;
        showLoadFailure(kImageTooLargeText);
        return false;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        qDebug() << "EditHeadImageDialog: cannot open" << path << reader.errorString();
        showLoadFailure(kLoadFailedText);
        return false;
    }
    const QSize box = m_ui->PreviewLabel->size();
    m_ui->PreviewLabel->setPixmap(
        QPixmap::fromImage(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    return true;
}

void EditHeadImageDialog::showLoadFailure(int textNumber)
{
    auto *box = new QMessageBox(QMessageBox::Warning, languageText(kLoadFailedTitle), languageText(textNumber),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("HeadImageFailedBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
