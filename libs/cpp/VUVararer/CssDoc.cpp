#include "CssDoc.h"

#include "CssSyntaxHighlighter.h"
#include "FileDialog.h"
#include "MMessageBox.h"

#include <MTools/ToolsCommon.h>

#include <QFile>
#include <QTextStream>

namespace VUVararer {

CssDoc::CssDoc(QWidget* parent) : QTextEdit(parent)
{
    new CssSyntaxHighlighter(document());
    applyOwnPalette();
}

void CssDoc::applyOwnPalette()
{
    document()->setDefaultFont(QFont("Lucida Console", 12, 50, false));
    setStyleSheet("QTextEdit{background: #000060; color: yellow;}");
}

void CssDoc::slotLoad()
{
    const QString path =
        FileDialog::getOpenFileName(this, QString(), QString(), QString(), nullptr, QFileDialog::Options());
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QTextStream stream(&file);
    setPlainText(stream.readAll());
    file.close();
    m_strFileName = path;
    emit changeWindowTitle(m_strFileName);
}

void CssDoc::slotSave()
{
    if (m_strFileName.isEmpty()) {
        slotSaveAs();
        return;
    }
    if (writeFile(m_strFileName))
        emit changeWindowTitle(m_strFileName);
}

void CssDoc::slotSaveAs()
{
    const QString path =
        FileDialog::getSaveFileName(this, m_strFileName, QString(), QString(), nullptr, QFileDialog::Options());
    if (path.isEmpty())
        return;
    // The new name is only taken once the text is in that file.
    if (writeFile(path)) {
        m_strFileName = path;
        emit changeWindowTitle(m_strFileName);
    }
}

bool CssDoc::writeFile(const QString& path)
{
    if (MTools::ToolsCommon::saveFile(path, toPlainText().toUtf8()))
        return true;
    MMessageBox::warning(
        this, QStringLiteral("Save"),
        QStringLiteral("<center>The style sheet could not be saved to<br>%1</center>").arg(path.toHtmlEscaped()));
    return false;
}

} // namespace VUVararer
