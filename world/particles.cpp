#include "world/particles.h"

Particle particles[ParticleCount];
Vec4 RagdollTemplate[ParticlesPerPerson];

namespace {

// Every rest length is a base length times the body scale, taken in single
// precision (0.02 * 0.59 is one float step below 0.0118).
constexpr float BodyScale = 0.59f;
constexpr float HeadNeck = 0.005f * BodyScale;
constexpr float NeckShoulder = 0.0225f * BodyScale;
constexpr float NeckPelvis = 0.04f * BodyScale;
constexpr float ShoulderShoulder = 0.04f * BodyScale;
constexpr float ShoulderPelvis = 0.036f * BodyScale;
constexpr float ShoulderElbow = 0.02f * BodyScale;
constexpr float ElbowHand = 0.015f * BodyScale;
constexpr float PelvisHip = 0.018f * BodyScale;
constexpr float HipHip = 0.03f * BodyScale;
constexpr float HipToKnee = 0.025f * BodyScale;
// The knee pulls towards a longer thigh than the hip does; both act every step.
constexpr float KneeToHip = 0.03f * BodyScale;
constexpr float KneeFoot = 0.02f * BodyScale;

} // namespace

const SkeletonEntry Skeleton[ParticlesPerPerson] = {
    {1, {Neck}, {HeadNeck}},
    {4, {Head, Shoulder1, Shoulder0, Pelvis}, {HeadNeck, NeckShoulder, NeckShoulder, NeckPelvis}},
    {4, {Neck, Shoulder0, Pelvis, Elbow1}, {NeckShoulder, ShoulderShoulder, ShoulderPelvis, ShoulderElbow}},
    {4, {Neck, Shoulder1, Pelvis, Elbow0}, {NeckShoulder, ShoulderShoulder, ShoulderPelvis, ShoulderElbow}},
    {2, {Shoulder1, Hand1}, {ShoulderElbow, ElbowHand}},
    {1, {Elbow1}, {ElbowHand}},
    {2, {Shoulder0, Hand0}, {ShoulderElbow, ElbowHand}},
    {1, {Elbow0}, {ElbowHand}},
    {5, {Neck, Shoulder0, Shoulder1, Hip1, Hip0}, {NeckPelvis, ShoulderPelvis, ShoulderPelvis, PelvisHip, PelvisHip}},
    {3, {Pelvis, Hip0, Knee1}, {PelvisHip, HipHip, HipToKnee}},
    {3, {Pelvis, Hip1, Knee0}, {PelvisHip, HipHip, HipToKnee}},
    {2, {Hip1, Foot1}, {KneeToHip, KneeFoot}},
    {1, {Knee1}, {KneeFoot}},
    {2, {Hip0, Foot0}, {KneeToHip, KneeFoot}},
    {1, {Knee0}, {KneeFoot}},
};
