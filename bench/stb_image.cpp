// The one translation unit that holds stb_image's code, BMP reader only.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>
