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

JSMinimizer::JSMinimizer() = default;

QString JSMinimizer::minimize(const QString& strSource)
{
    JSMinimizer minimizer;
    return minimizer.minimizeJSCode(strSource);
}

QString JSMinimizer::minimizeJSCode(const QString& strSource)
{
    m_strOutput.clear();
    m_nPos = 0;
    m_strInput = strSource;
    m_nTheA = 0;
    m_nTheB = 0;
    m_nTheLookahead = kEof;
    m_nTheX = kEof;
    m_nTheY = kEof;
    minimizeInternal();
    return m_strOutput;
}

int JSMinimizer::getci()
{
    if (m_nPos >= m_strInput.size())
        return kEof;
    return int(m_strInput.at(m_nPos++).unicode());
}

int JSMinimizer::putci(int c)
{
    m_strOutput.append(QChar(ushort(c)));
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
    int c = m_nTheLookahead;
    m_nTheLookahead = kEof;
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
    m_nTheLookahead = get();
    return m_nTheLookahead;
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
    m_nTheY = m_nTheX;
    m_nTheX = c;
    return c;
}

void JSMinimizer::action(int d)
{
    switch (d) {
    case 1:
        putci(m_nTheA);
        if ((m_nTheY == '\n' || m_nTheY == ' ') && isOperator(m_nTheA) && isOperator(m_nTheB))
            putci(m_nTheY);
        [[fallthrough]];
    case 2:
        m_nTheA = m_nTheB;
        if (m_nTheA == '\'' || m_nTheA == '"' || m_nTheA == '`') {
            for (;;) {
                putci(m_nTheA);
                m_nTheA = get();
                if (m_nTheA == m_nTheB)
                    break;
                if (m_nTheA == '\\') {
                    putci(m_nTheA);
                    m_nTheA = get();
                }
                if (m_nTheA == kEof) {
                    // What was read of an unterminated literal is kept; the scan ends.
                    error("Unterminated string literal.");
                    break;
                }
            }
        }
        [[fallthrough]];
    case 3:
        m_nTheB = next();
        if (m_nTheB == '/' && opensRegExp(m_nTheA)) {
            putci(m_nTheA);
            if (m_nTheA == '/' || m_nTheA == '*')
                putci(' ');
            putci(m_nTheB);
            for (;;) {
                m_nTheA = get();
                if (m_nTheA == '[') {
                    for (;;) {
                        putci(m_nTheA);
                        m_nTheA = get();
                        if (m_nTheA == ']')
                            break;
                        if (m_nTheA == '\\') {
                            putci(m_nTheA);
                            m_nTheA = get();
                        }
                        if (m_nTheA == kEof)
                            break;
                    }
                } else if (m_nTheA == '/') {
                    break;
                } else if (m_nTheA == '\\') {
                    putci(m_nTheA);
                    m_nTheA = get();
                }
                if (m_nTheA == kEof) {
                    error("Unterminated Regular Expression literal.");
                    break;
                }
                putci(m_nTheA);
            }
            peek();
            m_nTheB = next();
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
    m_nTheA = '\n';
    action(3);
    while (m_nTheA != kEof) {
        switch (m_nTheA) {
        case ' ':
            action(isAlphanum(m_nTheB) ? 1 : 2);
            break;
        case '\n':
            switch (m_nTheB) {
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
                action(isAlphanum(m_nTheB) ? 1 : 2);
                break;
            }
            break;
        default:
            switch (m_nTheB) {
            case ' ':
                action(isAlphanum(m_nTheA) ? 1 : 3);
                break;
            case '\n':
                switch (m_nTheA) {
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
                    action(isAlphanum(m_nTheA) ? 1 : 3);
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
