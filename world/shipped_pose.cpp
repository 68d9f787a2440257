#include "world/ragdoll_file.h"

// The pose of the shipped "ragdoll.rag", made by tools/make_ragdoll (--cpp).
const Vec4 ShippedPose[ParticlesPerPerson] = {
    {0x0p+0f, 0x1.49f56ep-4f, -0x1.0660b4p-7f, 0.0f},
    {0x0p+0f, 0x1.25cb6ap-4f, -0x1.9a5ef2p-8f, 0.0f},
    {0x1.26e978p-5f, 0x1.b9444ep-5f, -0x1.45319cp-10f, 0.0f},
    {-0x1.26e978p-5f, 0x1.b9444ep-5f, -0x1.45319cp-10f, 0.0f},
    {0x1.7acap-5f, 0x1.3d703cp-6f, 0x1.0427eap-17f, 0.0f},
    {0x1.9a04e4p-5f, -0x1.e1fdcep-8f, -0x1.cbc6fp-26f, 0.0f},
    {-0x1.7acap-5f, 0x1.3d703cp-6f, 0x1.0427eap-17f, 0.0f},
    {-0x1.9a04e4p-5f, -0x1.e1fdcep-8f, -0x1.cbc6fp-26f, 0.0f},
    {0x0p+0f, 0x0p+0f, 0x0p+0f, 0.0f},
    {-0x1.ba5e34p-6f, -0x1.256f04p-6f, 0x0p+0f, 0.0f},
    {0x1.ba5e34p-6f, -0x1.256f04p-6f, 0x0p+0f, 0.0f},
    {-0x1.cb0484p-6f, -0x1.141154p-4f, 0x0p+0f, 0.0f},
    {-0x1.cac01ap-6f, -0x1.a7860ep-4f, 0x0p+0f, 0.0f},
    {0x1.cb0484p-6f, -0x1.141154p-4f, 0x0p+0f, 0.0f},
    {0x1.cac01ap-6f, -0x1.a7860ep-4f, 0x0p+0f, 0.0f},
};
