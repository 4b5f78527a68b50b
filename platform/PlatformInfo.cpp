// Anchor so that the platform library is never empty while its services are added file by file.
namespace kelvara_platform_anchor
{
int Anchor = 0;
}
