#include "JSMinimizer.h"

namespace MTools {

namespace {
constexpr int kEof = -1;

bool isOperator(int c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

bool opensRegExp(int c)
{
    switch (c) {
    case '\n':
    case '!':
    case '&':
    case '(':
    case '*':
    case '+':
    case ',':
    case '-':
    case '/':
    case ':':
    case '=':
    case '?':
    case '[':
    case '{':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}
} // namespace

qint32 JSMinimizer::sm_theA = 0;
qint32 JSMinimizer::sm_theB = 0;
qint32 JSMinimizer::sm_theLookahead = kEof;
qint32 JSMinimizer::sm_theX = kEof;
qint32 JSMinimizer::sm_theY = kEof;

JSMinimizer::JSMinimizer() = default;

QString JSMinimizer::minimize(const QString& strSource)
{
    JSMinimizer minimizer;
    return minimizer.minimizeJSCode(strSource);
}

QString JSMinimizer::minimizeJSCode(const QString& strSource)
{
    m_nPos = 0;
    m_strInput = strSource;
    minimizeInternal();
    return m_strOutput;
}

int JSMinimizer::getci()
{
    if (m_nPos >= m_strInput.size())
        return kEof;
    const ushort uCode = m_strInput.at(m_nPos++).unicode();
    return uCode > 0xFF ? '?' : int(uCode);
}

int JSMinimizer::putci(int c)
{
    m_strOutput.append(QChar(ushort(c & 0xFF)));
    return c;
}

void JSMinimizer::error(const char*) {}

bool JSMinimizer::isAlphanum(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           c == '\\' || c > 126;
}

int JSMinimizer::get()
{
    int c = sm_theLookahead;
    sm_theLookahead = kEof;
    if (c == kEof)
        c = getci();
    if (c >= ' ' || c == '\n' || c == kEof)
        return c;
    if (c == '\r')
        return '\n';
    return ' ';
}

int JSMinimizer::peek()
{
    sm_theLookahead = get();
    return sm_theLookahead;
}

int JSMinimizer::next()
{
    int c = get();
    if (c == '/') {
        switch (peek()) {
        case '/':
            for (;;) {
                c = get();
                if (c <= '\n')
                    break;
            }
            break;
        case '*':
            get();
            c = ' ';
            for (;;) {
                const int d = get();
                if (d == '*' && peek() == '/') {
                    get();
                    break;
                }
                if (d == kEof) {
                    // An unterminated comment ends the input.
                    error("Unterminated comment.");
                    c = kEof;
                    break;
                }
            }
            break;
        default:
            break;
        }
    }
    sm_theY = sm_theX;
    sm_theX = c;
    return c;
}

void JSMinimizer::action(int d)
{
    switch (d) {
    case 1:
        putci(sm_theA);
        if ((sm_theY == '\n' || sm_theY == ' ') && isOperator(sm_theA) && isOperator(sm_theB))
            putci(sm_theY);
        [[fallthrough]];
    case 2:
        sm_theA = sm_theB;
        if (sm_theA == '\'' || sm_theA == '"' || sm_theA == '`') {
            for (;;) {
                putci(sm_theA);
                sm_theA = get();
                if (sm_theA == sm_theB)
                    break;
                if (sm_theA == '\\') {
                    putci(sm_theA);
                    sm_theA = get();
                }
                if (sm_theA == kEof) {
                    // What was read of an unterminated literal is kept; the scan ends.
                    error("Unterminated string literal.");
                    break;
                }
            }
        }
        [[fallthrough]];
    case 3:
        sm_theB = next();
        if (sm_theB == '/' && opensRegExp(sm_theA)) {
            putci(sm_theA);
            if (sm_theA == '/' || sm_theA == '*')
                putci(' ');
            putci(sm_theB);
            for (;;) {
                sm_theA = get();
                if (sm_theA == '[') {
                    for (;;) {
                        putci(sm_theA);
                        sm_theA = get();
                        if (sm_theA == ']')
                            break;
                        if (sm_theA == '\\') {
                            putci(sm_theA);
                            sm_theA = get();
                        }
                        if (sm_theA == kEof)
                            break;
                    }
                } else if (sm_theA == '/') {
                    break;
                } else if (sm_theA == '\\') {
                    putci(sm_theA);
                    sm_theA = get();
                }
                if (sm_theA == kEof) {
                    error("Unterminated Regular Expression literal.");
                    break;
                }
                putci(sm_theA);
            }
            peek();
            sm_theB = next();
        }
        break;
    default:
        break;
    }
}

void JSMinimizer::minimizeInternal()
{
    if (peek() == 0xEF) {
        get();
        get();
        get();
    }
    sm_theA = '\n';
    action(3);
    while (sm_theA != kEof) {
        switch (sm_theA) {
        case ' ':
            action(isAlphanum(sm_theB) ? 1 : 2);
            break;
        case '\n':
            switch (sm_theB) {
            case '{':
            case '[':
            case '(':
            case '+':
            case '-':
            case '!':
            case '~':
                action(1);
                break;
            case ' ':
                action(3);
                break;
            default:
                action(isAlphanum(sm_theB) ? 1 : 2);
                break;
            }
            break;
        default:
            switch (sm_theB) {
            case ' ':
                action(isAlphanum(sm_theA) ? 1 : 3);
                break;
            case '\n':
                switch (sm_theA) {
                case '}':
                case ']':
                case ')':
                case '+':
                case '-':
                case '"':
                case '\'':
                case '`':
                    action(1);
                    break;
                default:
                    action(isAlphanum(sm_theA) ? 1 : 3);
                    break;
                }
                break;
            default:
                action(1);
                break;
            }
            break;
        }
    }
}

} // namespace MTools
