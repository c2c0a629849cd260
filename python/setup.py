"""The wheel carries shared libraries loaded through ctypes and no extension
module: it is tagged for the platform (py3-none-linux_x86_64, say) but not
for one Python version. Metadata in pyproject.toml."""
from setuptools import setup
from setuptools.dist import Distribution
from wheel.bdist_wheel import bdist_wheel


class BinaryDistribution(Distribution):
    def has_ext_modules(self):
        return True


class PlatformWheel(bdist_wheel):
    def get_tag(self):
        return ("py3", "none", super().get_tag()[2])


setup(distclass=BinaryDistribution, cmdclass={"bdist_wheel": PlatformWheel})
