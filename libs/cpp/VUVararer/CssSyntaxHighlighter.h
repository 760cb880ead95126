#pragma once
// Colours style-sheet and C++-like text: keywords, comments, "#" lines, strings and digits.

#include <QStringList>
#include <QSyntaxHighlighter>

namespace VUVararer {

class CssSyntaxHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit CssSyntaxHighlighter(QTextDocument* parent);

    // The first keyword, in list order, that stands in text at position; empty when none does.
    QString getKeyword(int position, const QString& text) const;

protected:
    void highlightBlock(const QString& text) override;

private:
    QStringList m_lstKeywords;
};

} // namespace VUVararer
