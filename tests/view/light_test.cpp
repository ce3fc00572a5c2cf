#include "light.h"
#include "offscreengl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

const GLfloat kAmbient[4] = {0.1f, 0.2f, 0.3f, 0.4f};
const GLfloat kDiffuse[4] = {0.5f, 0.6f, 0.7f, 0.8f};
const GLfloat kSpecular[4] = {0.9f, 0.25f, 0.75f, 1.0f};
const GLfloat kPoint[3] = {-1.0f, 15.0f, 2.5f};
const GLfloat kTowards[3] = {0.0f, -1.0f, 0.5f};
const float kTolerance = 1e-6f;

class LightTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.isReady());
        // Light positions are read back in eye coordinates.
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ASSERT_EQ(Light::registeredCount(), 0) << "a previous test leaked a light";
    }

    static std::unique_ptr<Light> newLight()
    {
        return std::make_unique<Light>(kAmbient, kDiffuse, kSpecular);
    }

    // Fills the registry to its cap; lights[i] holds GL_LIGHT0 + i.
    static std::vector<std::unique_ptr<Light>> allLights()
    {
        std::vector<std::unique_ptr<Light>> lights;
        for (int i = 0; i < Light::kMaxLights; ++i)
            lights.push_back(newLight());
        return lights;
    }

    static std::vector<GLenum> registry()
    {
        std::vector<GLenum> numbers;
        for (int i = 0; i < Light::registeredCount(); ++i)
            numbers.push_back(Light::registeredNumber(i));
        return numbers;
    }

    static void expectLightVector(GLenum number, GLenum name, const std::vector<GLfloat> &expected)
    {
        GLfloat actual[4] = {};
        glGetLightfv(number, name, actual);
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_NEAR(actual[i], expected[i], kTolerance) << "component " << i;
    }

    OffscreenGL gl;
};

// What OpenGL reports for GL_LIGHT0 and GL_LIGHT1 tells which light got which
// number, whatever the lights say of themselves.
TEST_F(LightTest, HandsOutNumbersUpwardsFromLight0AndSendsTheColoursThere)
{
    const GLfloat otherAmbient[4] = {0.6f, 0.5f, 0.4f, 0.3f};
    const GLfloat otherDiffuse[4] = {0.2f, 0.1f, 0.0f, 0.9f};
    const GLfloat otherSpecular[4] = {0.125f, 0.375f, 0.625f, 0.875f};
    auto first = newLight();
    Light second(otherAmbient, otherDiffuse, otherSpecular);
    expectLightVector(GL_LIGHT0, GL_AMBIENT, {0.1f, 0.2f, 0.3f, 0.4f});
    expectLightVector(GL_LIGHT0, GL_DIFFUSE, {0.5f, 0.6f, 0.7f, 0.8f});
    expectLightVector(GL_LIGHT0, GL_SPECULAR, {0.9f, 0.25f, 0.75f, 1.0f});
    expectLightVector(GL_LIGHT1, GL_AMBIENT, {0.6f, 0.5f, 0.4f, 0.3f});
    expectLightVector(GL_LIGHT1, GL_DIFFUSE, {0.2f, 0.1f, 0.0f, 0.9f});
    expectLightVector(GL_LIGHT1, GL_SPECULAR, {0.125f, 0.375f, 0.625f, 0.875f});
    EXPECT_EQ(first->lightNumber(), static_cast<GLenum>(GL_LIGHT0));
    EXPECT_EQ(second.lightNumber(), static_cast<GLenum>(GL_LIGHT1));
    EXPECT_EQ(registry(), (std::vector<GLenum>{GL_LIGHT0, GL_LIGHT1}));
}

TEST_F(LightTest, CountsOnFromHighestInsteadOfReusingAFreedLowerNumber)
{
    auto first = newLight();
    auto second = newLight();
    first.reset();
    auto third = newLight();
    EXPECT_EQ(third->lightNumber(), static_cast<GLenum>(GL_LIGHT2));
    EXPECT_EQ(registry(), (std::vector<GLenum>{GL_LIGHT1, GL_LIGHT2}));
}

TEST_F(LightTest, GivesTheHighestNumberAgainOnceItIsFreed)
{
    auto first = newLight();
    auto second = newLight();
    second.reset();
    auto third = newLight();
    EXPECT_EQ(third->lightNumber(), static_cast<GLenum>(GL_LIGHT1));
    EXPECT_EQ(registry(), (std::vector<GLenum>{GL_LIGHT0, GL_LIGHT1}));
}

TEST_F(LightTest, NinthLightThrowsAndLeavesRegistryAsItWas)
{
    auto lights = allLights();
    const std::vector<GLenum> before = registry();
    LightError *error = nullptr;
    try {
        Light ninth(kAmbient, kDiffuse, kSpecular);
        ADD_FAILURE() << "the ninth light got " << ninth.lightNumber();
    } catch (LightError *thrown) {
        error = thrown;
    }
    EXPECT_NE(error, nullptr);
    delete error;
    EXPECT_EQ(Light::registeredCount(), Light::kMaxLights);
    EXPECT_EQ(registry(), before);
}

TEST_F(LightTest, TakesLowestFreeNumberRatherThanPassingLight7)
{
    auto lights = allLights();
    lights[5].reset();
    lights[2].reset();
    auto refill = newLight();
    EXPECT_EQ(refill->lightNumber(), static_cast<GLenum>(GL_LIGHT2));
    auto second = newLight();
    EXPECT_EQ(second->lightNumber(), static_cast<GLenum>(GL_LIGHT5));
    const std::vector<GLenum> numbers = registry();
    EXPECT_EQ(numbers.size(), static_cast<size_t>(Light::kMaxLights));
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
}

TEST_F(LightTest, WrapsToLight0WhenOnlyTheTopNumbersAreLeft)
{
    auto lights = allLights();
    for (int i = 0; i < 6; ++i)
        lights[i].reset();
    auto next = newLight();
    EXPECT_EQ(next->lightNumber(), static_cast<GLenum>(GL_LIGHT0));
    EXPECT_EQ(registry(), (std::vector<GLenum>{GL_LIGHT0, GL_LIGHT6, GL_LIGHT7}));
}

TEST_F(LightTest, DestructionReturnsTheNumberAndSwitchesTheLightOff)
{
    auto light = newLight();
    const GLenum number = light->lightNumber();
    light->enable();
    EXPECT_TRUE(glIsEnabled(number));
    light.reset();
    EXPECT_FALSE(glIsEnabled(number));
    EXPECT_EQ(Light::registeredCount(), 0);
}

TEST_F(LightTest, DisableSwitchesOffButKeepsTheNumber)
{
    auto light = newLight();
    light->enable();
    light->disable();
    EXPECT_FALSE(glIsEnabled(light->lightNumber()));
    EXPECT_EQ(registry(), (std::vector<GLenum>{light->lightNumber()}));
}

TEST_F(LightTest, SetsTheThreeAttenuationFactorsInOrder)
{
    auto light = newLight();
    light->setAttenuation(0.5f, 0.25f, 0.125f);
    expectLightVector(light->lightNumber(), GL_CONSTANT_ATTENUATION, {0.5f});
    expectLightVector(light->lightNumber(), GL_LINEAR_ATTENUATION, {0.25f});
    expectLightVector(light->lightNumber(), GL_QUADRATIC_ATTENUATION, {0.125f});
}

TEST_F(LightTest, PositionalLightAppliesItsPointWithW1AndSwitchesOn)
{
    PositionalLight light(kAmbient, kDiffuse, kSpecular, kPoint);
    light.apply();
    expectLightVector(light.lightNumber(), GL_POSITION, {-1.0f, 15.0f, 2.5f, 1.0f});
    EXPECT_TRUE(glIsEnabled(light.lightNumber()));
}

TEST_F(LightTest, DirectionalLightAppliesItsDirectionWithW0AndSwitchesOn)
{
    DirectionalLight light(kAmbient, kDiffuse, kSpecular, kTowards);
    light.apply();
    expectLightVector(light.lightNumber(), GL_POSITION, {0.0f, -1.0f, 0.5f, 0.0f});
    EXPECT_TRUE(glIsEnabled(light.lightNumber()));
}

TEST_F(LightTest, SpotLightSendsCutoffExponentDirectionAndPoint)
{
    SpotLight light(kAmbient, kDiffuse, kSpecular, kPoint, kTowards, 12.0f, 30.0f);
    expectLightVector(light.lightNumber(), GL_SPOT_CUTOFF, {30.0f});
    expectLightVector(light.lightNumber(), GL_SPOT_EXPONENT, {12.0f});
    light.apply();
    expectLightVector(light.lightNumber(), GL_SPOT_DIRECTION, {0.0f, -1.0f, 0.5f});
    expectLightVector(light.lightNumber(), GL_POSITION, {-1.0f, 15.0f, 2.5f, 1.0f});
    EXPECT_TRUE(glIsEnabled(light.lightNumber()));
}

} // namespace
