#include "ProductVariant.h"

#include <optional>

namespace {

// The variant of this build.
constexpr ProductVariant::Kind kBuiltVariant = ProductVariant::M4a;

std::optional<ProductVariant::Kind>& overriddenKind()
{
    static std::optional<ProductVariant::Kind> kind;
    return kind;
}

} // namespace

ProductVariant::Kind ProductVariant::kind() { return overriddenKind().value_or(kBuiltVariant); }

void ProductVariant::setKind(Kind variant) { overriddenKind() = variant; }

void ProductVariant::reset() { overriddenKind().reset(); }

QString ProductVariant::intermediateExtension()
{
    switch (kind()) {
    case Mp3:
        return QStringLiteral(".mp3");
    case Flac:
        return QStringLiteral(".flac");
    case M4a:
    case Wav:
        break;
    }
    return QStringLiteral(".wav");
}
