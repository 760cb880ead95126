#include "CssSyntaxHighlighter.h"

namespace VUVararer {

namespace {

enum BlockState { Plain = -1, InComment = 0, InString = 1 };

bool isQuote(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); }

} // namespace

CssSyntaxHighlighter::CssSyntaxHighlighter(QTextDocument* parent) : QSyntaxHighlighter(parent)
{
    m_lstKeywords = QStringList{
        "foreach",   "bool",    "int",  "void",    "double",  "float",     "char", "delete", "class",  "const",
        "virtual",   "mutable", "this", "struct",  "union",   "throw",     "for",  "if",     "else",   "false",
        "namespace", "switch",  "case", "public",  "private", "protected", "new",  "return", "using",  "true",
        "->",        ">>",      "<<",   ">",       "<",       "(",         ")",    "{",      "}",      "[",
        "]",         "+",       "-",    "*",       "/",       "=",         "!",    ".",      ",",      ";",
        ":",         "&",       "emit", "connect", "SIGNAL",  "|",         "SLOT", "slots",  "signals"};
}

QString CssSyntaxHighlighter::getKeyword(int position, const QString& text) const
{
    for (const QString& keyword : m_lstKeywords)
        if (text.midRef(position, keyword.length()) == keyword)
            return keyword;
    return QString();
}

void CssSyntaxHighlighter::highlightBlock(const QString& text)
{
    int state = previousBlockState();
    int start = 0;
    const int length = text.length();
    for (int i = 0; i < length; ++i) {
        if (state == InString) {
            if (isQuote(text.at(i)) && (i == 0 || text.at(i - 1) != QLatin1Char('\\'))) {
                setFormat(start, i - start + 1, QColor(Qt::cyan));
                state = Plain;
            }
        } else if (state == InComment) {
            if (text.midRef(i, 2) == QLatin1String("*/")) {
                setFormat(start, i - start + 2, QColor(Qt::darkGray));
                ++i;
                state = Plain;
            }
        } else {
            if (text.midRef(i, 2) == QLatin1String("//")) {
                setFormat(i, length - i, QColor(Qt::darkGray));
                break;
            }
            if (text.at(i) == QLatin1Char('#')) {
                setFormat(i, length - i, QColor(Qt::green));
                break;
            }
            if (text.at(i).isNumber()) {
                setFormat(i, 1, QColor(Qt::cyan));
            } else if (text.midRef(i, 2) == QLatin1String("/*")) {
                start = i;
                state = InComment;
            } else if (isQuote(text.at(i))) {
                start = i;
                state = InString;
            } else {
                const QString keyword = getKeyword(i, text);
                if (!keyword.isEmpty()) {
                    setFormat(i, keyword.length(), QColor(Qt::white));
                    i += keyword.length() - 1;
                }
            }
        }
    }
    if (state == InComment)
        setFormat(start, length - start, QColor(Qt::darkGray));
    else if (state == InString)
        setFormat(start, length - start, QColor(Qt::cyan));
    setCurrentBlockState(state);
}

} // namespace VUVararer
